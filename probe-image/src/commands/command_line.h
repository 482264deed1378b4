// probe-image's command line: parses the arguments (the program name left out)
// and runs the command they name.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Returns the exit status (see exit_codes.h).
int RunProbeImage(std::vector<std::string> arguments, std::ostream& out, std::ostream& err);
