#include "remote_io_error.h"

#include <cerrno>

const int RemoteIoError = EREMOTEIO;
