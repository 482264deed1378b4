#include "i2c_errors.h"

#include <cerrno>
#include <cstring>

#include "probe_eeprom.h"

namespace {

const char* ErrnoName(int error) {
    switch (error) {
        case ENXIO:
            return "ENXIO";
        case EREMOTEIO:
            return "EREMOTEIO";
        case EIO:
            return "EIO";
        case ETIMEDOUT:
            return "ETIMEDOUT";
        case EAGAIN:
            return "EAGAIN";
        case EBUSY:
            return "EBUSY";
        case EPROTO:
            return "EPROTO";
        case EOPNOTSUPP:
            return "EOPNOTSUPP";
        case ENOTTY:
            return "ENOTTY";
        case ENODEV:
            return "ENODEV";
        case ENOENT:
            return "ENOENT";
        case EACCES:
            return "EACCES";
        case EPERM:
            return "EPERM";
        default:
            return nullptr;
    }
}

}  // namespace

int StatusOfErrno(int error) {
    if (error == ENXIO || error == EREMOTEIO || error == EIO)
        return ProbeNotConnected;
    return I2cBusFailure;
}

std::string ErrnoText(int error) {
    const char* name = ErrnoName(error);
    return std::string(name ? name : "errno " + std::to_string(error)) + " (" +
           std::strerror(error) + ")";
}
