#include "bridge_texts.h"

#include "i2c_bridge.h"
#include "status_texts.h"

std::string BridgeFailure(int status) {
    const char* text = StatusText::BusError;
    if (status == BridgeNotPresent)
        text = StatusText::BridgeNotPresent;
    else if (status == ProbeNotConnected)
        text = StatusText::ProbeNotConnected;
    return std::string(text) + " (status " + std::to_string(status) + ")";
}
