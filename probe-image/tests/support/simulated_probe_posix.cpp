#include "simulated_probe.h"

std::vector<std::string> SimulatedProbeArguments() {
    return {"--simulated"};
}

std::string SimulatedTransport() {
    return "simulated";
}
