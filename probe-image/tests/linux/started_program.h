// A program started in the background, for the tests that talk to it while it
// runs: its output goes to one file; it can be interrupted as Ctrl-C does and
// waited for.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class StartedProgram {
  public:
    StartedProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& output);
    ~StartedProgram();  // kills it if it still runs
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool Started() const { return pid_ > 0; }
    void Interrupt();  // SIGINT
    // The exit status; -1 when it did not exit by itself within the seconds.
    int Wait(double seconds);

  private:
    int pid_ = -1;
};
