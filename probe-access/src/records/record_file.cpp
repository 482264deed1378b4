#include "record_file.h"

#include <system_error>

RecordFile::RecordFile(const std::filesystem::path& path) {
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
        failure_ = "cannot create " + path.parent_path().string() + ": " + error.message();
        return;
    }
    handle_ = OpenAppendFile(path, failure_);
}

RecordFile::~RecordFile() {
    if (IsOpen())
        CloseAppendFile(handle_);
}

bool RecordFile::Append(std::string_view line) {
    if (!IsOpen())
        return false;
    std::string whole(line);
    whole += '\n';
    return AppendAndFlush(handle_, whole, failure_);
}
