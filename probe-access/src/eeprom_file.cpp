#include "eeprom_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "i2c_errors.h"

namespace {

// Closes the file when it goes out of scope.
struct OpenFile {
    std::FILE* file = nullptr;
    ~OpenFile() {
        if (file != nullptr)
            std::fclose(file);
    }
};

}  // namespace

EepromFile::EepromFile(std::string path) : path_(std::move(path)) {}

// Opens the file and refuses one that is not exactly an EEPROM's size.
int EepromFile::Open(const char* mode, std::FILE*& file) {
    detail_.clear();
    errno = 0;
    file = std::fopen(path_.c_str(), mode);
    if (file == nullptr) {
        const int error = errno;
        detail_ = error == EACCES || error == EPERM
                      ? "permission denied on " + path_ +
                            ": run as a user who may write it, or change its group with a "
                            "udev rule"
                      : "cannot open " + path_ + ": " + ErrnoText(error);
        return BridgeNotPresent;
    }
    std::error_code failed;
    const std::uintmax_t size = std::filesystem::file_size(path_, failed);
    if (failed || size != EepromSize) {
        detail_ = path_ + " holds " + (failed ? std::string("no") : std::to_string(size)) +
                  " bytes; an EEPROM file holds exactly " + std::to_string(EepromSize);
        std::fclose(file);
        file = nullptr;
        return BridgeNotPresent;
    }
    return BridgeSuccess;
}

int EepromFile::ReadAll(uint8_t* bytes) {
    OpenFile opened;
    const int status = Open("rb", opened.file);
    if (status != BridgeSuccess)
        return status;
    errno = 0;
    const std::size_t got = std::fread(bytes, 1, EepromSize, opened.file);
    const int error = std::ferror(opened.file) ? errno : 0;
    if (got == EepromSize)
        return BridgeSuccess;
    if (error == 0) {
        detail_ = "reading " + path_ + " gave " + std::to_string(got) + " bytes, not " +
                  std::to_string(EepromSize);
        return I2cBusFailure;
    }
    detail_ = "reading " + path_ + ": " + ErrnoText(error);
    return StatusOfErrno(error);
}

int EepromFile::ReadProbeType(char (&typeText)[2]) {
    uint8_t bytes[EepromSize];
    const int status = ReadAll(bytes);
    if (status == BridgeSuccess) {
        typeText[0] = static_cast<char>(bytes[ProbeTypeAddress]);
        typeText[1] = '\0';
    }
    return status;
}

int EepromFile::ReadImage(uint8_t* image) {
    uint8_t bytes[EepromSize];
    const int status = ReadAll(bytes);
    if (status == BridgeSuccess)
        std::memcpy(image, bytes, EepromSize);
    return status;
}

// The page goes in place, through an unbuffered stream: the at24 driver takes
// each write as it comes, and a file's other bytes stay as they are.
int EepromFile::WritePage(unsigned offset, const uint8_t* page) {
    OpenFile opened;
    const int status = Open("r+b", opened.file);
    if (status != BridgeSuccess)
        return status;
    std::setvbuf(opened.file, nullptr, _IONBF, 0);
    errno = 0;
    std::size_t put = 0;
    if (std::fseek(opened.file, static_cast<long>(offset), SEEK_SET) == 0)
        put = std::fwrite(page, 1, EepromPageSize, opened.file);
    const int error = put == EepromPageSize ? 0 : errno;
    const bool closed = std::fclose(opened.file) == 0;
    opened.file = nullptr;
    if (put == EepromPageSize && closed)
        return BridgeSuccess;
    const int failure = error != 0 ? error : errno;
    detail_ = "writing the page at " + std::to_string(offset) + " of " + path_ + ": " +
              (failure == 0 ? "short write" : ErrnoText(failure));
    return failure == 0 ? I2cBusFailure : StatusOfErrno(failure);
}
