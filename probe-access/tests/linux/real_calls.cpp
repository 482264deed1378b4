#include "real_calls.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

int RealOpen(const char* path, int flags, unsigned mode) {
    return static_cast<int>(syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

int RealOpenNull() {
    return RealOpen("/dev/null", O_RDWR | O_CLOEXEC, 0);
}

int RealClose(int file) {
    return static_cast<int>(syscall(SYS_close, file));
}

int RealIoctl(int file, unsigned long request, void* argument) {
    return static_cast<int>(syscall(SYS_ioctl, file, request, argument));
}
