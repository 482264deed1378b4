#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "binary_output.h"

void UseBinaryStandardOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
}
