// An exclusive lock (flock) of the file, held while the number is read and the next
// written; released when the file is closed. It belongs to the open file, so that
// it keeps out threads of one program as well as other programs.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "certificate_number.h"

namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

std::uint64_t Fail(std::string& failure) {
    failure = std::strerror(errno);
    return 0;
}

}  // namespace

std::uint64_t IncrementCounterFile(const std::filesystem::path& path, std::string& failure) {
    const Descriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (file.get() < 0)
        return Fail(failure);
    int locked;
    do
        locked = ::flock(file.get(), LOCK_EX);
    while (locked < 0 && errno == EINTR);
    if (locked < 0)
        return Fail(failure);
    std::string text;
    char buffer[64];
    ssize_t got;
    while ((got = ::pread(file.get(), buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    if (got < 0)
        return Fail(failure);
    const std::uint64_t next = NextAfter(text);
    if (next == 0) {
        failure = "it holds no number";
        return 0;
    }
    const std::string written = std::to_string(next) + "\n";
    if (::ftruncate(file.get(), 0) != 0 ||
        ::pwrite(file.get(), written.data(), written.size(), 0) !=
            static_cast<ssize_t>(written.size()) ||
        ::fsync(file.get()) != 0)
        return Fail(failure);
    return next;
}
