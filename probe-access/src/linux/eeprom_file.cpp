#include "eeprom_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "i2c_errors.h"

EepromFile::EepromFile(std::string path) : path_(std::move(path)) {}

// Opens the file and refuses one that is not exactly an EEPROM's size.
int EepromFile::Open(int flags, int& file) {
    detail_.clear();
    file = ::open(path_.c_str(), flags | O_CLOEXEC);
    if (file < 0) {
        const int error = errno;
        detail_ = error == EACCES || error == EPERM
                      ? "permission denied on " + path_ +
                            ": run as a user who may write it, or change its group with a "
                            "udev rule"
                      : "cannot open " + path_ + ": " + ErrnoText(error);
        return BridgeNotPresent;
    }
    struct stat about {};
    if (::fstat(file, &about) != 0 || about.st_size != off_t{EepromSize}) {
        detail_ = path_ + " holds " + std::to_string(about.st_size) +
                  " bytes; an EEPROM file holds exactly " + std::to_string(EepromSize);
        ::close(file);
        file = -1;
        return BridgeNotPresent;
    }
    return BridgeSuccess;
}

int EepromFile::ReadAll(uint8_t* bytes) {
    int file = -1;
    const int status = Open(O_RDONLY, file);
    if (status != BridgeSuccess)
        return status;
    ssize_t got;
    do
        got = ::pread(file, bytes, EepromSize, 0);
    while (got < 0 && errno == EINTR);
    const int error = got < 0 ? errno : 0;
    ::close(file);
    if (got == ssize_t{EepromSize})
        return BridgeSuccess;
    if (got >= 0) {
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

int EepromFile::WritePage(unsigned offset, const uint8_t* page) {
    int file = -1;
    const int status = Open(O_WRONLY, file);
    if (status != BridgeSuccess)
        return status;
    ssize_t put;
    do
        put = ::pwrite(file, page, EepromPageSize, static_cast<off_t>(offset));
    while (put < 0 && errno == EINTR);
    const int error = put < 0 ? errno : 0;
    ::close(file);
    if (put == ssize_t{EepromPageSize})
        return BridgeSuccess;
    detail_ = "writing the page at " + std::to_string(offset) + " of " + path_ + ": " +
              (put >= 0 ? "short write" : ErrnoText(error));
    return put >= 0 ? I2cBusFailure : StatusOfErrno(error);
}
