// Bridge results in the words of the writer's status line.
#pragma once

#include <string>

// "I2C bridge not present" for 2, "Probe not connected" for 5, "I2C bus Error"
// for any other failure, with the status number.
std::string BridgeFailure(int status);
