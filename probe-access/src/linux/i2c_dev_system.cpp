#include "i2c_dev_system.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {

class KernelSystem final : public I2cDevSystem {
  public:
    int Open(const char* path) override {
        const int file = ::open(path, O_RDWR | O_CLOEXEC);
        return file < 0 ? -errno : file;
    }
    void Close(int file) override { ::close(file); }
    int Ioctl(int file, unsigned long request, void* argument) override {
        int result;
        do
            result = ::ioctl(file, request, argument);
        while (result < 0 && errno == EINTR);
        return result < 0 ? -errno : result;
    }
    void SleepMicroseconds(unsigned microseconds) override {
        timespec remaining{static_cast<time_t>(microseconds / 1000000),
                           static_cast<long>(microseconds % 1000000) * 1000L};
        while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
        }
    }
    uint64_t NowMicroseconds() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<uint64_t>(now.tv_sec) * 1000000u +
               static_cast<uint64_t>(now.tv_nsec) / 1000u;
    }
};

}  // namespace

I2cDevSystem& KernelI2cDevSystem() {
    static KernelSystem system;
    return system;
}
