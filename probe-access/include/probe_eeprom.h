// An EEPROM that holds a probe image: the three operations the programs need,
// each giving a status. Every way of reaching a probe implements it: the bridge
// library, the kernel's I2C interface and an EEPROM file on Linux, and in tests
// a fake.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline constexpr int BridgeSuccess = 0;
inline constexpr int BridgeNotPresent = 2;
inline constexpr int ProbeNotConnected = 5;

inline constexpr uint8_t EepromSlaveAddress = 0x51;
inline constexpr uint32_t ProbeTypeAddress = 3;
inline constexpr unsigned EepromPageSize = 16;
inline constexpr unsigned EepromSize = 256;
inline constexpr unsigned EepromPageCount = EepromSize / EepromPageSize;

class ProbeEeprom {
  public:
    virtual ~ProbeEeprom() = default;

    // typeText receives the byte at address 3 as a string of at most one character.
    virtual int ReadProbeType(char (&typeText)[2]) = 0;
    // All 256 bytes; the buffer is left untouched on failure.
    virtual int ReadImage(uint8_t* image) = 0;
    // The 16 bytes of the page at offset (a multiple of 16); returns once the
    // part is ready for the next page.
    virtual int WritePage(unsigned offset, const uint8_t* page) = 0;

    // What reaches the part ("bridge", ...) and which one, for messages and records.
    virtual std::string Transport() const = 0;
    virtual std::string Device() const = 0;
    // What the last failed operation met, in words (empty where the status says
    // all there is).
    virtual std::string FailureDetail() const { return {}; }
};

// Called after each page with its offset and status.
using PageWritten = std::function<void(unsigned offset, int status)>;

// Writes the image's 16 pages in order. Every page is tried; the result is the
// status of the first page that failed.
int WriteImagePages(ProbeEeprom& eeprom, const uint8_t* image, const PageWritten& written = {});

// Writes the pages at the given offsets, in the order given, each as
// WriteImagePages does; no offsets, no transfer.
int WriteSelectedPages(ProbeEeprom& eeprom, const uint8_t* image,
                       const std::vector<unsigned>& offsets, const PageWritten& written = {});

// Offsets of the pages whose bytes differ between two images.
std::vector<unsigned> DifferentPages(const uint8_t* a, const uint8_t* b);

inline constexpr unsigned VerifiedReadTries = 3;

struct VerifiedRead {
    int status = BridgeSuccess;      // of the read that failed, if one did
    unsigned reads = 0;              // how many were made
    bool agreed = false;             // two reads gave the same bytes
    unsigned first = 0, second = 0;  // which two (from 1) agreed
    std::array<uint8_t, EepromSize> image{};
};

// Reads the image until two reads agree, at most `tries` times; a failed read ends it.
VerifiedRead ReadImageVerified(ProbeEeprom& eeprom, unsigned tries = VerifiedReadTries);
