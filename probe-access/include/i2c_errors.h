// What a failed system call on an I2C device means for the probe.
#pragma once

#include <string>

inline constexpr int I2cBusFailure = 1;  // status of a bus error that is not a missing ack

// The status of a failed call: a missing acknowledge is a probe that is not
// there (ENXIO, EREMOTEIO, and EIO, which several USB adapters report instead);
// anything else is a bus error.
int StatusOfErrno(int error);
// "ENXIO (No such device or address)".
std::string ErrnoText(int error);
