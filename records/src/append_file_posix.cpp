// O_APPEND makes every write() land at the end of the file as one piece; flock
// keeps other appenders out while a line's prev is read and the line written.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "record_file.h"

std::intptr_t OpenAppendFile(const std::filesystem::path& path, std::string& failure) {
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        failure = std::strerror(errno);
    return fd < 0 ? -1 : fd;
}

bool LockAppendFile(std::intptr_t handle, std::string& failure) {
    int result;
    do
        result = ::flock(static_cast<int>(handle), LOCK_EX);
    while (result != 0 && errno == EINTR);
    if (result != 0)
        failure = std::string("cannot lock it: ") + std::strerror(errno);
    return result == 0;
}

void UnlockAppendFile(std::intptr_t handle) {
    ::flock(static_cast<int>(handle), LOCK_UN);
}

bool AppendFileSize(std::intptr_t handle, std::uint64_t& size, std::string& failure) {
    struct stat facts {};
    if (::fstat(static_cast<int>(handle), &facts) != 0) {
        failure = std::strerror(errno);
        return false;
    }
    size = static_cast<std::uint64_t>(facts.st_size);
    return true;
}

bool ReadAppendFile(std::intptr_t handle, std::uint64_t offset, char* data, std::size_t size,
                    std::string& failure) {
    while (size > 0) {
        const ssize_t got =
            ::pread(static_cast<int>(handle), data, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            failure = got < 0 ? std::strerror(errno) : "the file ended early";
            return false;
        }
        data += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
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
