#include <stdlib.h>

#include <string>

#include "environment.h"

void SetEnvironmentValue(const char* name, const char* value) {
    // "NAME=" removes the variable.
    _putenv((std::string(name) + "=" + value).c_str());
}
