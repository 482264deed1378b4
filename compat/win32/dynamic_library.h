// Run-time loading of libraries: on Windows the kernel's own.
#pragma once

#include <windows.h>
