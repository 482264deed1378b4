#include <windows.h>

#include "platform_sleep.h"

void PlatformSleep(unsigned milliseconds) {
    Sleep(milliseconds);
}
