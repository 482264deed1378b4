#include "binary_output.h"

// POSIX streams never translate line ends.
void UseBinaryStandardOutput() {}
