#include "i2c_errors.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "probe_eeprom.h"
#include "remote_io_error.h"

namespace {

// The names of the errors the transports meet. EREMOTEIO, which several I2C
// adapters report for a missing acknowledge, is the platform's (remote_io_error.h).
const char* ErrnoName(int error) {
    const std::pair<int, const char*> names[] = {
        {ENXIO, "ENXIO"},         {RemoteIoError, "EREMOTEIO"}, {EIO, "EIO"},
        {ETIMEDOUT, "ETIMEDOUT"}, {EAGAIN, "EAGAIN"},           {EBUSY, "EBUSY"},
        {EPROTO, "EPROTO"},       {EOPNOTSUPP, "EOPNOTSUPP"},   {ENOTTY, "ENOTTY"},
        {ENODEV, "ENODEV"},       {ENOENT, "ENOENT"},           {EACCES, "EACCES"},
        {EPERM, "EPERM"},
    };
    for (const auto& [number, name] : names)
        if (number == error)
            return name;
    return nullptr;
}

}  // namespace

int StatusOfErrno(int error) {
    if (error == ENXIO || error == RemoteIoError || error == EIO)
        return ProbeNotConnected;
    return I2cBusFailure;
}

std::string ErrnoText(int error) {
    const char* name = ErrnoName(error);
    return std::string(name ? name : "errno " + std::to_string(error)) + " (" +
           std::strerror(error) + ")";
}
