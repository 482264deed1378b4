// Where the kernel's sysfs is: /sys, or PROBE_IMAGE_SYSFS where a test puts a
// tree of its own.
#pragma once

#include <string>

std::string SysfsRoot();
