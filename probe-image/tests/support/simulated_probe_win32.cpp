#include "simulated_probe.h"

std::vector<std::string> SimulatedProbeArguments() {
    return {};
}

std::string SimulatedTransport() {
    return "bridge";
}
