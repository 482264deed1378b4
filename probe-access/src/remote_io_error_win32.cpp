#include "remote_io_error.h"

const int RemoteIoError = -1;  // the Windows C library has no such error
