#include <cstdlib>

#include "bench_place.h"

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::filesystem::path UserDataFolder() {
    const wchar_t* folder = _wgetenv(L"LOCALAPPDATA");
    if (folder == nullptr || *folder == L'\0')
        return {};
    return std::filesystem::path(folder);
}

std::string LoginName() {
    return Environment("USERNAME");
}

std::string HostName() {
    return Environment("COMPUTERNAME");
}
