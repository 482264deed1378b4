// Where a bench program runs and who runs it: the user's data folder for records,
// the login name and the host name.
#pragma once

#include <filesystem>
#include <string>

// The user's data folder ($XDG_DATA_HOME, else ~/.local/share; %LOCALAPPDATA% on
// Windows); empty when the environment names none.
std::filesystem::path UserDataFolder();

// "probe-image/records.jsonl" in the user's data folder; empty when there is none.
std::filesystem::path DefaultRecordPath();

// Empty when the system cannot tell.
std::string LoginName();
std::string HostName();
