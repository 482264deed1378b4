// An exclusive lock (LockFileEx) of the whole file, held while the number is read
// and the next written; released when the handle is closed.
#include <windows.h>

#include <string>

#include "certificate_number.h"

namespace {

class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

std::uint64_t Fail(std::string& failure) {
    failure = "system error " + std::to_string(GetLastError());
    return 0;
}

}  // namespace

std::uint64_t IncrementCounterFile(const std::filesystem::path& path, std::string& failure) {
    const Handle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return Fail(failure);
    OVERLAPPED whole{};
    if (!LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
        return Fail(failure);
    std::string text;
    char buffer[64];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    const std::uint64_t next = NextAfter(text);
    if (next == 0) {
        failure = "it holds no number";
        return 0;
    }
    const std::string written = std::to_string(next) + "\n";
    DWORD put = 0;
    if (SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !WriteFile(file.get(), written.data(), static_cast<DWORD>(written.size()), &put, nullptr) ||
        put != written.size() || !SetEndOfFile(file.get()) || !FlushFileBuffers(file.get()))
        return Fail(failure);
    return next;
}
