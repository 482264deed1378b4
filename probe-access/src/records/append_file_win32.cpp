// A handle with append access and no write access makes every WriteFile land at
// the end of the file. An exclusive lock over the whole file around each append
// keeps two programs from taking the same end, where a system appends by
// seeking first.
#include <windows.h>

#include "record_file.h"

namespace {

std::string SystemMessage(DWORD code) {
    char text[256] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == '.' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(code) : message;
}

}  // namespace

std::intptr_t OpenAppendFile(const std::filesystem::path& path, std::string& failure) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failure = SystemMessage(GetLastError());
        return -1;
    }
    return reinterpret_cast<std::intptr_t>(file);
}

bool AppendAndFlush(std::intptr_t handle, std::string_view bytes, std::string& failure) {
    HANDLE file = reinterpret_cast<HANDLE>(handle);
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        failure = SystemMessage(GetLastError());
        return false;
    }
    DWORD written = 0;
    std::string problem;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        problem = SystemMessage(GetLastError());
    else if (written != bytes.size())
        problem = "only part of the line went in (disk full?)";
    else if (!FlushFileBuffers(file))
        problem = SystemMessage(GetLastError());
    UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
    if (!problem.empty())
        failure = problem;
    return problem.empty();
}

void CloseAppendFile(std::intptr_t handle) {
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}
