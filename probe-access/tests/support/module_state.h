// Whether a library loaded by bare file name ("Name.dll") is still mapped into
// the process, asked of the platform itself.
#pragma once

bool IsLibraryMapped(const char* fileName);
