#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "bench_place.h"

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::filesystem::path UserDataFolder() {
    // An XDG_DATA_HOME that is not absolute is to be ignored.
    const std::filesystem::path data = Environment("XDG_DATA_HOME");
    if (data.is_absolute())
        return data;
    const std::string home = Environment("HOME");
    if (home.empty())
        return {};
    return std::filesystem::path(home) / ".local" / "share";
}

std::string LoginName() {
    char name[256];
    if (getlogin_r(name, sizeof name) == 0)
        return name;
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return entry->pw_name;
    return Environment("USER");
}

std::string HostName() {
    char name[256] = "";
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}
