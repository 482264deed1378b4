// A handle with append access and no write access makes every WriteFile land at
// the end of the file. An exclusive lock over the whole file keeps other
// appenders out while a line's prev is read and the line written, and keeps two
// programs from taking the same end, where a system appends by seeking first.
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

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
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

bool LockAppendFile(std::intptr_t handle, std::string& failure) {
    OVERLAPPED whole{};
    if (LockFileEx(Handle(handle), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
        return true;
    failure = "cannot lock it: " + SystemMessage(GetLastError());
    return false;
}

void UnlockAppendFile(std::intptr_t handle) {
    OVERLAPPED whole{};
    UnlockFileEx(Handle(handle), 0, MAXDWORD, MAXDWORD, &whole);
}

bool AppendFileSize(std::intptr_t handle, std::uint64_t& size, std::string& failure) {
    LARGE_INTEGER bytes{};
    if (!GetFileSizeEx(Handle(handle), &bytes)) {
        failure = SystemMessage(GetLastError());
        return false;
    }
    size = static_cast<std::uint64_t>(bytes.QuadPart);
    return true;
}

bool ReadAppendFile(std::intptr_t handle, std::uint64_t offset, char* data, std::size_t size,
                    std::string& failure) {
    while (size > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(Handle(handle), data, static_cast<DWORD>(size), &got, &at)) {
            failure = SystemMessage(GetLastError());
            return false;
        }
        if (got == 0) {
            failure = "the file ended early";
            return false;
        }
        data += got;
        size -= got;
        offset += got;
    }
    return true;
}

bool AppendAndFlush(std::intptr_t handle, std::string_view bytes, std::string& failure) {
    DWORD written = 0;
    if (!WriteFile(Handle(handle), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr)) {
        failure = SystemMessage(GetLastError());
        return false;
    }
    if (written != bytes.size()) {
        failure = "only part of the line went in (disk full?)";
        return false;
    }
    if (!FlushFileBuffers(Handle(handle))) {
        failure = SystemMessage(GetLastError());
        return false;
    }
    return true;
}

void CloseAppendFile(std::intptr_t handle) {
    CloseHandle(Handle(handle));
}
