// Movable global memory blocks: on Windows the kernel's own.
#pragma once

#include <windows.h>
