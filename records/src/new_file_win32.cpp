// CREATE_NEW: the name is taken by this program or by none.
#include <windows.h>

#include "backup_name.h"

NewFile WriteNewFile(const std::filesystem::path& path, std::string_view bytes,
                     std::string& failure) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
            return NewFile::Exists;
        failure = "system error " + std::to_string(code);
        return NewFile::Failed;
    }
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        failure = "only part of the backup went in (disk full?)";
    else if (!FlushFileBuffers(file))
        failure = "system error " + std::to_string(GetLastError());
    CloseHandle(file);
    if (!failure.empty()) {
        DeleteFileW(path.c_str());
        return NewFile::Failed;
    }
    return NewFile::Written;
}
