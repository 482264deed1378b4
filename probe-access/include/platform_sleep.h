// Blocks the calling thread for the given time.
#pragma once

void PlatformSleep(unsigned milliseconds);
