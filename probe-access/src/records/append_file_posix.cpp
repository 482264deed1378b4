// O_APPEND makes every write() land at the end of the file as one piece, whatever
// other processes append at the same time.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "record_file.h"

std::intptr_t OpenAppendFile(const std::filesystem::path& path, std::string& failure) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        failure = std::strerror(errno);
    return fd < 0 ? -1 : fd;
}

bool AppendAndFlush(std::intptr_t handle, std::string_view bytes, std::string& failure) {
    const int fd = static_cast<int>(handle);
    ssize_t written;
    do
        written = ::write(fd, bytes.data(), bytes.size());
    while (written < 0 && errno == EINTR);
    if (written < 0) {
        failure = std::strerror(errno);
        return false;
    }
    if (static_cast<std::size_t>(written) != bytes.size()) {
        failure = "only part of the line went in (disk full?)";
        return false;
    }
    if (::fsync(fd) != 0) {
        failure = std::strerror(errno);
        return false;
    }
    return true;
}

void CloseAppendFile(std::intptr_t handle) {
    ::close(static_cast<int>(handle));
}
