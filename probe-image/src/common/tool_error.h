// A failure that ends a command: its exit status and what to tell the user.
#pragma once

#include <stdexcept>
#include <string>

#include "exit_codes.h"

class ToolError : public std::runtime_error {
  public:
    ToolError(ExitCode code, const std::string& message)
        : std::runtime_error(message), code_(code) {}
    ExitCode code() const { return code_; }

  private:
    ExitCode code_;
};
