// How the tests reach the simulated bridge. On Linux a command asks for it by
// name and its records call it "simulated"; on Windows it is the bridge library
// beside the program, reached by default and recorded as "bridge".
#pragma once

#include <string>
#include <utility>
#include <vector>

// The arguments that name the simulated bridge, added after a command's own.
std::vector<std::string> SimulatedProbeArguments();
// The transport its records name.
std::string SimulatedTransport();

// A command's arguments, then those that name the simulated bridge.
inline std::vector<std::string> WithSimulatedProbe(std::vector<std::string> arguments) {
    for (std::string& argument : SimulatedProbeArguments())
        arguments.push_back(std::move(argument));
    return arguments;
}
