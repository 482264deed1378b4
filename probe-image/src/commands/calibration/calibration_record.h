// The record of a fit or a check: the certificate it issued, every file it used
// with its SHA-256 and a copy kept beside the as-found images under that hash, and
// what it decided. The record itself is appended by RunRecorded.
#pragma once

#include <filesystem>
#include <string>

#include "certificate_options.h"
#include "conformity.h"
#include "recorded_run.h"

// The record options of a fit or a check.
RecordOptions CalibrationRecordOptions(const CertificateOptions& options,
                                       const std::string& operatorName);

// The journal the record goes to; empty with --no-record or where the user has no
// data folder.
std::filesystem::path CalibrationJournal(const CertificateOptions& options);

// Adds a file to the record, its copy kept in the run's backup folder as
// <sha256><extension> (no copy with records off). Throws ToolError(ExitFile) when
// the file cannot be read or the copy cannot be written.
void KeepFile(RecordedRun& recorded, const std::string& role, const std::filesystem::path& file);

// The decision and a summary of the results in the record.
void NoteConformity(RecordedRun& recorded, const Conformity& conformity);

// The next certificate number from the counter beside the journal, with the lab's
// prefix; noted in the record at once.
std::string TakeCertificateNumber(RecordedRun& recorded, const CertificateOptions& options);
