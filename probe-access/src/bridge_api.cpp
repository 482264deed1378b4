#include "i2c_bridge.h"
#include "platform_sleep.h"

BridgeApi LinkedBridgeApi() {
    return BridgeApi{U2C_GetDeviceCount, U2C_OpenDevice, U2C_SetI2cFreq,  U2C_SetClockSynch,
                     U2C_Read,           U2C_Write,      U2C_CloseDevice, PlatformSleep};
}

BridgeApi& ActiveBridgeApi() {
    static BridgeApi api = LinkedBridgeApi();
    return api;
}
