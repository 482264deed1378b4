// The record of a read, write or status run: opened before the probe is touched,
// filled in as the command goes, and appended whole when it ends, failed or not.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "bench_record.h"
#include "commands.h"
#include "image_file.h"
#include "probe_eeprom.h"

struct RecordOptions {
    std::string file;                 // empty: the default in the user's data folder
    bool off = false;                 // --no-record
    std::string operatorName;         // empty: the login name
    std::string database;             // where each record goes next; empty: $PROBE_IMAGE_DATABASE
    std::ostream* notices = nullptr;  // told when a record did not reach the database
};

// What a command fills in. With records off it is filled all the same and
// dropped, and backupFolder stays empty.
struct RecordedRun {
    BenchRecord record;
    std::time_t started = 0;
    std::filesystem::path backupFolder;  // default backups go here, named by serial
};

// Opens the record file (ToolError(ExitFile) when it cannot be, before run is
// called), runs the command and appends its record, whether it succeeded or threw;
// then sends it to the database where one is chosen, which never changes the
// result. Passwords in the arguments are left out of the record.
int RunRecorded(const RecordOptions& options, const std::string& command,
                const std::vector<std::string>& arguments,
                const std::function<int(RecordedRun&)>& run);

// Fills in who runs the command, where and how (time, operator, host, tool,
// command, the arguments without passwords).
void StartRecord(BenchRecord& record, const RecordOptions& options, const std::string& command,
                 const std::vector<std::string>& arguments, std::time_t started);

// The fingerprint, verdict and identity of an image; library receives the file
// name of the library its type names when it could be bound.
ImageFacts DescribeImage(const ProbeImageBytes& image, std::string* library = nullptr);

// The probe's type and serial as found; where the EEPROM held none, those of the
// image written (when one is).
void NoteProbe(BenchRecord& record, const ImageFacts& found, const ImageFacts* written = nullptr);

// The transport and device the command uses.
void NoteEeprom(RecordedRun& recorded, const ProbeEeprom& eeprom);

// Passes everything on to another EEPROM and keeps the last image read whole.
class ImageKeepingEeprom final : public ProbeEeprom {
  public:
    explicit ImageKeepingEeprom(ProbeEeprom& inner) : inner_(inner) {}
    int ReadProbeType(char (&typeText)[2]) override { return inner_.ReadProbeType(typeText); }
    int ReadImage(uint8_t* image) override;
    int WritePage(unsigned offset, const uint8_t* page) override {
        return inner_.WritePage(offset, page);
    }
    std::string Transport() const override { return inner_.Transport(); }
    std::string Device() const override { return inner_.Device(); }
    std::string FailureDetail() const override { return inner_.FailureDetail(); }

    bool HasImage() const { return hasImage_; }
    const ProbeImageBytes& image() const { return image_; }

  private:
    ProbeEeprom& inner_;
    bool hasImage_ = false;
    ProbeImageBytes image_{};
};
