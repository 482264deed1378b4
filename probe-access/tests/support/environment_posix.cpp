#include <stdlib.h>

#include "environment.h"

void SetEnvironmentValue(const char* name, const char* value) {
    if (*value == '\0')
        unsetenv(name);
    else
        setenv(name, value, 1);
}
