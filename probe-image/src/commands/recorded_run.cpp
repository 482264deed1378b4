#include "recorded_run.h"

#include <iostream>

#include "bench_place.h"
#include "connection_text.h"
#include "database_commands.h"
#include "image_facts.h"
#include "journal_send.h"
#include "project_version.h"
#include "record_file.h"
#include "tool_error.h"

void StartRecord(BenchRecord& record, const RecordOptions& options, const std::string& command,
                 const std::vector<std::string>& arguments, std::time_t started) {
    record.time = UtcTimeText(started);
    record.operatorName = options.operatorName.empty() ? LoginName() : options.operatorName;
    record.host = HostName();
    record.tool = std::string("probe-image ") + kProjectVersion;
    record.command = command;
    record.arguments.clear();
    for (const std::string& argument : arguments)
        record.arguments.push_back(WithoutPasswords(argument));
}

int RunRecorded(const RecordOptions& options, const std::string& command,
                const std::vector<std::string>& arguments,
                const std::function<int(RecordedRun&)>& run) {
    RecordedRun recorded;
    recorded.started = std::time(nullptr);
    if (options.off)
        return run(recorded);

    const std::filesystem::path path =
        options.file.empty() ? DefaultRecordPath() : std::filesystem::path(options.file);
    if (path.empty())
        throw ToolError(ExitFile,
                        "no data folder for the record file (set XDG_DATA_HOME or HOME); give "
                        "--record FILE, or --no-record; the probe was not touched");
    RecordFile file(path);
    if (!file.IsOpen())
        throw ToolError(ExitFile, "cannot open the record file " + path.string() + ": " +
                                      file.Failure() + "; the probe was not touched");
    recorded.backupFolder = path.parent_path() / "as-found";
    StartRecord(recorded.record, options, command, arguments, recorded.started);

    const auto append = [&] {
        // The probe libraries are built with the tool, from one version.
        if (!recorded.record.library.empty())
            recorded.record.libraryVersion = kProjectVersion;
        return file.Append(RecordLine(recorded.record))
                   ? std::string()
                   : "the record could not be written to " + path.string() + ": " + file.Failure();
    };
    const std::string database = ChosenDatabase(options.database);
    const auto send = [&] {
        if (!database.empty())
            SendJournal(database, path, options.notices ? *options.notices : std::cerr);
    };
    int code = ExitSuccess;
    try {
        code = run(recorded);
    } catch (const ToolError& error) {
        recorded.record.exit = error.code();
        recorded.record.message = error.what();
        const std::string failure = append();
        if (!failure.empty())
            throw ToolError(error.code(), std::string(error.what()) + "; " + failure);
        send();
        throw;
    }
    recorded.record.exit = code;
    const std::string failure = append();
    if (!failure.empty())
        throw ToolError(ExitFile, failure);
    send();
    return code;
}

ImageFacts DescribeImage(const ProbeImageBytes& image, std::string* library) {
    return FactsOfImage(image, library);
}

void NoteProbe(BenchRecord& record, const ImageFacts& found, const ImageFacts* written) {
    const bool blank = found.serial.empty() && written != nullptr;
    record.type = blank ? written->type : found.type;
    record.serial = blank ? written->serial : found.serial;
}

void NoteEeprom(RecordedRun& recorded, const ProbeEeprom& eeprom) {
    recorded.record.transport = eeprom.Transport();
    recorded.record.device = eeprom.Device();
}

int ImageKeepingEeprom::ReadImage(uint8_t* image) {
    const int status = inner_.ReadImage(image);
    if (status == BridgeSuccess) {
        std::copy(image, image + image_.size(), image_.begin());
        hasImage_ = true;
    }
    return status;
}
