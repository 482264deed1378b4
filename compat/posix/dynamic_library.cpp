#include "dynamic_library.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <string>

namespace {

std::string ProgramDirectory() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    std::string text(path, static_cast<std::size_t>(length));
    return text.substr(0, text.find_last_of('/'));
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string PosixFileName(const std::string& name) {
    bool bare = name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
    if (!bare || !EndsWith(name, ".dll"))
        return name;
    return ProgramDirectory() + "/lib" + name.substr(0, name.size() - 4) + ".so";
}

}  // namespace

HMODULE LoadLibraryA(const char* fileName) {
    if (fileName == nullptr)
        return nullptr;
    return static_cast<HMODULE>(dlopen(PosixFileName(fileName).c_str(), RTLD_NOW | RTLD_LOCAL));
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
    if (module == nullptr || name == nullptr)
        return nullptr;
    return reinterpret_cast<FARPROC>(dlsym(module, name));
}

BOOL FreeLibrary(HMODULE module) {
    if (module == nullptr)
        return FALSE;
    return dlclose(module) == 0 ? TRUE : FALSE;
}
