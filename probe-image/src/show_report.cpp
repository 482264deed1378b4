#include "show_report.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <iomanip>

#include "field_text.h"
#include "joined_text.h"
#include "number_text.h"
#include "record_fields.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr int kTypeWithRatioLaw = 2;
constexpr int kMonthsPerYear = 12;
constexpr int kYearDigits = 2;
constexpr int kCenturyYears = 100;
constexpr int kNameColumn = 22;

bool LinearLaw(const ProbeParameters& record) {
    return record.ForceX1 == record.ForceX2;
}

std::string Polynomial(const std::vector<float>& coefficients) {
    std::string text;
    for (std::size_t k = 0; k < coefficients.size(); ++k) {
        if (k > 0)
            text += " + ";
        text += FloatText(coefficients[k]);
        if (k == 1)
            text += " x";
        else if (k > 1)
            text += " x^" + std::to_string(k);
    }
    return text;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    quoted += PrintableText(text);
    quoted += "\"";
    return quoted;
}

std::string List(const std::vector<float>& values) {
    std::string text = "[";
    text += JoinedText(values, ", ", FloatText);
    text += "]";
    return text;
}

std::string ForceLawText(const ShowReport& report) {
    const ProbeParameters& r = report.verdict.record;
    if (r.Type == kTypeWithRatioLaw)
        return "force = raw / R x F = raw / " + FloatText(r.RValue) + " x " + FloatText(r.FValue);
    if (LinearLaw(r))
        return "linear: force = (raw - x0) x k = (raw - " + FloatText(r.ForceX0) + ") x " +
               FloatText(r.ForceK);
    return "piecewise: raw >= x1 " + FloatText(r.ForceX1) + " gives f1 " + FloatText(r.ForceF1) +
           "; x2 " + FloatText(r.ForceX2) + " <= raw < x1 gives " +
           Polynomial(report.forceCoefficients) + " (order " + std::to_string(r.ForceOrder) +
           "); raw < x2 gives f2 " + FloatText(r.ForceF2);
}

Json ForceLawJson(const ShowReport& report) {
    const ProbeParameters& r = report.verdict.record;
    if (r.Type == kTypeWithRatioLaw)
        return Json{{"law", "ratio"},
                    {"FValue", ShortestDouble(r.FValue)},
                    {"RValue", ShortestDouble(r.RValue)}};
    if (LinearLaw(r))
        return Json{{"law", "linear"},
                    {"ForceK", ShortestDouble(r.ForceK)},
                    {"ForceX0", ShortestDouble(r.ForceX0)}};
    Json coefficients = Json::array();
    for (float value : report.forceCoefficients)
        coefficients.push_back(ShortestDouble(value));
    return Json{{"law", "piecewise"},
                {"ForceX1", ShortestDouble(r.ForceX1)},
                {"ForceF1", ShortestDouble(r.ForceF1)},
                {"ForceX2", ShortestDouble(r.ForceX2)},
                {"ForceF2", ShortestDouble(r.ForceF2)},
                {"ForceOrder", r.ForceOrder},
                {"ForceCoefficients", coefficients}};
}

const std::vector<float>& BlockValues(const ShowReport& report, const RecordField& field) {
    return std::string_view(field.name) == "PositionCoefficients" ? report.positionCoefficients
                                                                  : report.forceCoefficients;
}

std::string FieldText(const ShowReport& report, const RecordField& field) {
    const ProbeParameters& record = report.verdict.record;
    switch (field.kind) {
        case FieldKind::Float:
            return FloatText(FloatValue(record, field));
        case FieldKind::Text:
            return Quoted(TextValue(record, field));
        case FieldKind::Words:
            return JoinedText(WordsValue(record, field), " ",
                              [](std::uint16_t word) { return std::to_string(word); });
        case FieldKind::Coefficients:
            return List(BlockValues(report, field));
        case FieldKind::Table:
            if (!report.positionTable)
                return "(cannot be read)";
            return "min " + FloatText(report.positionTable->min) + ", max " +
                   FloatText(report.positionTable->max) +
                   (report.positionTable->notANumber
                        ? ", " + std::to_string(report.positionTable->notANumber) +
                              " entries not a number"
                        : "");
        default:
            return std::to_string(IntegerValue(record, field));
    }
}

Json FieldJson(const ShowReport& report, const RecordField& field) {
    const ProbeParameters& record = report.verdict.record;
    switch (field.kind) {
        case FieldKind::Float:
            return ShortestDouble(FloatValue(record, field));
        case FieldKind::Text:
            return PrintableText(TextValue(record, field));
        case FieldKind::Words: {
            Json words = Json::array();
            for (std::uint16_t word : WordsValue(record, field))
                words.push_back(word);
            return words;
        }
        case FieldKind::Coefficients: {
            Json values = Json::array();
            for (float value : BlockValues(report, field))
                values.push_back(ShortestDouble(value));
            return values;
        }
        case FieldKind::Table:
            if (!report.positionTable)
                return nullptr;
            return Json{{"min", ShortestDouble(report.positionTable->min)},
                        {"max", ShortestDouble(report.positionTable->max)},
                        {"notANumber", report.positionTable->notANumber}};
        default:
            return IntegerValue(record, field);
    }
}

std::optional<CalibrationStatus> ReadCalibration(const BoundLibrary& library,
                                                 const ProbeParameters& record) {
    std::int32_t calibrated = 0;
    if (library.core.ProbeIsCalibrated(&calibrated) != ProbeStatusOk)
        return std::nullopt;
    const std::time_t now = std::time(nullptr);
    const std::tm* today = std::localtime(&now);
    return CalibrationStatus{
        calibrated != 0, CalibrationAgeMonths(record.CalibrationDate,
                                              today->tm_year % kCenturyYears, today->tm_mon + 1)};
}

void Line(std::ostream& out, const std::string& name, const std::string& value) {
    out << "  " << std::left << std::setw(kNameColumn) << name << value << "\n";
}

}  // namespace

int CalibrationAgeMonths(const char* calibrationDate, int currentYear, int currentMonth) {
    const auto* text = reinterpret_cast<const std::uint8_t*>(calibrationDate);
    const std::size_t length = strnlen(calibrationDate, PROBE_TEXT_SIZE);
    const std::size_t yearLength = std::min<std::size_t>(length, kYearDigits);
    const int year = probe::ReadInteger(text, yearLength);
    const int month = probe::ReadInteger(text + yearLength,
                                         std::min<std::size_t>(length - yearLength, kYearDigits));
    return (currentYear - year) * kMonthsPerYear + (currentMonth - month);
}

ShowReport BuildShowReport(const std::string& file, const LibraryBinding& binding,
                           const ProbeImageBytes& image) {
    ShowReport report;
    report.file = file;
    report.verdict = JudgeImage(binding, image);
    if (!binding.Bound())
        return report;
    const BoundLibrary& library = binding.library();
    report.libraryFile = library.fileName;
    if (!report.verdict.accepted)
        return report;
    const ProbeParameters& record = report.verdict.record;
    report.positionCoefficients =
        ReadBlockFloats(record.PositionCoefficients, record.PositionOrder + 1u)
            .value_or(std::vector<float>{});
    if (record.ForceCoefficients != 0)
        report.forceCoefficients = ReadBlockFloats(record.ForceCoefficients, record.ForceOrder + 1u)
                                       .value_or(std::vector<float>{});
    report.positionTable = PositionTableRange(record.PositionTable);
    report.calibration = ReadCalibration(library, record);
    return report;
}

void PrintShowReport(const ShowReport& report, std::ostream& out) {
    out << "file     " << report.file << "\n";
    out << "library  " << (report.libraryFile.empty() ? "(none)" : report.libraryFile) << "\n";
    if (!report.verdict.accepted) {
        out << "verdict  refused: " << report.verdict.reason << "\n";
        return;
    }
    out << "verdict  accepted\n";
    out << "record\n";
    for (const RecordField& field : RecordFields())
        Line(out, field.name, FieldText(report, field));
    out << "force law\n  " << ForceLawText(report) << "\n";
    out << "calibration\n";
    if (!report.calibration) {
        out << "  (the library gives no verdict)\n";
        return;
    }
    const ProbeParameters& r = report.verdict.record;
    out << "  " << (report.calibration->calibrated ? "calibrated" : "not calibrated") << ": "
        << report.calibration->months << (report.calibration->months == 1 ? " month" : " months")
        << " since " << PrintableText(r.CalibrationDate) << " (limit " << r.CalibrationMonths
        << "), usage " << r.UsageCount << " (limit " << r.UsageLimit << ")\n";
}

Json ShowReportJson(const ShowReport& report) {
    Json json;
    json["file"] = report.file;
    json["library"] = report.libraryFile.empty() ? Json(nullptr) : Json(report.libraryFile);
    json["accepted"] = report.verdict.accepted;
    json["status"] = report.verdict.status;
    if (!report.verdict.accepted) {
        json["reason"] = report.verdict.reason;
        return json;
    }
    Json record;
    for (const RecordField& field : RecordFields())
        record[field.name] = FieldJson(report, field);
    json["record"] = record;
    json["forceLaw"] = ForceLawJson(report);
    if (report.calibration)
        json["calibration"] = Json{{"calibrated", report.calibration->calibrated},
                                   {"months", report.calibration->months},
                                   {"CalibrationMonths", report.verdict.record.CalibrationMonths},
                                   {"UsageCount", report.verdict.record.UsageCount},
                                   {"UsageLimit", report.verdict.record.UsageLimit}};
    return json;
}
