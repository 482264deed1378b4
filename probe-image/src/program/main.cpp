#include <iostream>

#include "binary_output.h"
#include "command_line.h"

int main(int argc, char** argv) {
    UseBinaryStandardOutput();
    return RunProbeImage(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
