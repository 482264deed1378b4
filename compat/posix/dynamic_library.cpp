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

bool IsBareDllName(const std::string& name) {
    bool bare = name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
    return bare && EndsWith(name, ".dll");
}

HMODULE Open(const std::string& fileName) {
    return static_cast<HMODULE>(dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL));
}

}  // namespace

HMODULE LoadLibraryA(const char* fileName) {
    if (fileName == nullptr)
        return nullptr;
    const std::string name(fileName);
    if (!IsBareDllName(name))
        return Open(name);
    const std::string library = "lib" + name.substr(0, name.size() - 4) + ".so";
    if (HMODULE beside = Open(ProgramDirectory() + "/" + library))
        return beside;
    return Open(library + "." COMPAT_LIBRARY_SOVERSION);
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
