// O_CREAT | O_EXCL: the name is taken by this program or by none.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "backup_name.h"

NewFile WriteNewFile(const std::filesystem::path& path, std::string_view bytes,
                     std::string& failure) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == EEXIST)
            return NewFile::Exists;
        failure = std::strerror(errno);
        return NewFile::Failed;
    }
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t written = ::write(fd, rest.data(), rest.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            failure = written < 0 ? std::strerror(errno) : "nothing went in (disk full?)";
            break;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    if (rest.empty() && ::fsync(fd) != 0)
        failure = std::strerror(errno);
    ::close(fd);
    if (!failure.empty()) {
        ::unlink(path.c_str());
        return NewFile::Failed;
    }
    return NewFile::Written;
}
