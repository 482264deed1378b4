// Starts a program with its standard output and error in one file, through the
// emulator that runs the tests themselves where one is set (see cmake/run-i386).
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

// The child's process id; -1 when it could not be started.
pid_t SpawnProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& output);
