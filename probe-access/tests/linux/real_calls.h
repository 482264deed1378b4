// The system calls themselves, for the preloaded fake, which replaces the
// library functions of the same names.
#pragma once

int RealOpen(const char* path, int flags, unsigned mode);
int RealOpenNull();  // a descriptor to stand for a served device file
int RealClose(int file);
int RealIoctl(int file, unsigned long request, void* argument);
