// Starts a program that stands beside the test program, waits for it, and gives
// its exit status; its standard output and error go to one file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

std::filesystem::path ProgramBesideMe(const std::string& baseName);  // adds ".exe" where due

int RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& output);
