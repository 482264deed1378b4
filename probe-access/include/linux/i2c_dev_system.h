// The few system calls the i2c-dev transport makes, behind a seam so that a test
// can put a model of the kernel's I2C interface in their place. Each call returns
// what the system call returns, or -errno when it fails.
#pragma once

#include <cstdint>

class I2cDevSystem {
  public:
    virtual ~I2cDevSystem() = default;

    virtual int Open(const char* path) = 0;  // read and write; a file descriptor
    virtual void Close(int file) = 0;
    virtual int Ioctl(int file, unsigned long request, void* argument) = 0;
    virtual void SleepMicroseconds(unsigned microseconds) = 0;
    virtual uint64_t NowMicroseconds() = 0;  // a monotonic clock
};

// The kernel's own calls.
I2cDevSystem& KernelI2cDevSystem();
