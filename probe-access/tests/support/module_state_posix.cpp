#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <string>

#include "module_state.h"

bool IsLibraryMapped(const char* fileName) {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return false;
    std::string directory(path, static_cast<std::size_t>(length));
    directory.resize(directory.find_last_of('/'));
    std::string name(fileName);
    name.resize(name.size() - 4);  // without ".dll"
    void* handle = dlopen((directory + "/lib" + name + ".so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr)
        return false;
    dlclose(handle);
    return true;
}
