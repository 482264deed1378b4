#include "show_report.h"

#include <iomanip>

#include "finding_output.h"
#include "image_checks.h"
#include "joined_text.h"
#include "number_text.h"
#include "probe_types.h"
#include "record_fields.h"

namespace {

using Json = nlohmann::ordered_json;

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

void Line(std::ostream& out, const std::string& name, const std::string& value) {
    out << "  " << std::left << std::setw(kNameColumn) << name << value << "\n";
}

}  // namespace

ShowReport BuildShowReport(const std::string& file, const LibraryBinding& binding,
                           const ProbeImageBytes& image, double forceStepTolerance) {
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
    report.calibration = LibraryCalibrationLife(library, record);
    report.findings = CheckImage(
        library,
        {record, report.positionCoefficients, report.forceCoefficients, report.calibration},
        forceStepTolerance);
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
    if (report.calibration) {
        const CalibrationLife& life = *report.calibration;
        const ProbeParameters& r = report.verdict.record;
        out << "  " << (life.calibrated ? "calibrated" : "not calibrated") << ": "
            << life.monthsSince << (life.monthsSince == 1 ? " month" : " months") << " since "
            << PrintableText(r.CalibrationDate) << " (limit " << r.CalibrationMonths << "), usage "
            << r.UsageCount << " (limit " << r.UsageLimit << ")\n"
            << "  runs out in " << life.runsOut << " by date (last month " << life.lastMonth
            << "), " << life.usageLeft << (life.usageLeft == 1 ? " use" : " uses")
            << " left by usage\n";
    } else {
        out << "  (the library gives no verdict)\n";
    }
    out << "findings\n";
    PrintFindings(report.findings, out);
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
                                   {"months", report.calibration->monthsSince},
                                   {"CalibrationMonths", report.verdict.record.CalibrationMonths},
                                   {"UsageCount", report.verdict.record.UsageCount},
                                   {"UsageLimit", report.verdict.record.UsageLimit},
                                   {"lastMonth", report.calibration->lastMonth},
                                   {"runsOut", report.calibration->runsOut},
                                   {"monthsLeft", report.calibration->monthsLeft},
                                   {"usageLeft", report.calibration->usageLeft}};
    json["findings"] = FindingsJson(report.findings);
    return json;
}
