// Sets a variable of the process environment as the C runtime's getenv sees it;
// an empty value clears it.
#pragma once

void SetEnvironmentValue(const char* name, const char* value);
