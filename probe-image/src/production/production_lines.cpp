#include "production_lines.h"

#include <cstdio>

namespace {

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}

std::string SerialWords(const ProductionEvent& event) {
    return event.serial ? "serial " + std::to_string(*event.serial) : std::string("no serial");
}

const char* SignalWord(ProductionEventKind kind) {
    switch (kind) {
        case ProductionEventKind::Start:
            return "start";
        case ProductionEventKind::Ok:
            return "ok";
        case ProductionEventKind::Skip:
            return "skip";
        case ProductionEventKind::Fail:
            return "fail";
        case ProductionEventKind::Waiting:
            return "waiting";
        case ProductionEventKind::Removed:
            return "removed";
    }
    return "fail";
}

bool Bare(const std::string& value) {
    if (value.empty())
        return false;
    for (const char c : value) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') ||
                           std::string("._:/+-@").find(c) != std::string::npos;
        if (!plain)
            return false;
    }
    return true;
}

}  // namespace

std::string SignalValue(const std::string& value) {
    if (Bare(value))
        return value;
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
    return quoted + "\"";
}

std::string EventLine(const ProductionEvent& event) {
    const std::string target = event.target + ": ";
    switch (event.kind) {
        case ProductionEventKind::Start:
            return target + SerialWords(event) + ": writing";
        case ProductionEventKind::Ok:
            return target + SerialWords(event) + " programmed and verified (" +
                   Seconds(event.seconds) + " s)";
        case ProductionEventKind::Skip:
            return target + "holds " + SerialWords(event) + " of the lot already; skipped (" +
                   Seconds(event.seconds) + " s)";
        case ProductionEventKind::Fail:
            return target + "failed" +
                   (event.serial ? " (serial " + std::to_string(*event.serial) + " spoiled)" : "") +
                   ": " + event.reason + " (" + Seconds(event.seconds) + " s)";
        case ProductionEventKind::Waiting:
            return target + "waiting for a probe";
        case ProductionEventKind::Removed:
            return target + "probe taken out";
    }
    return target;
}

std::string SignalLine(const ProductionEvent& event) {
    std::string line = SignalWord(event.kind);
    line += " target=";
    line += SignalValue(event.target);
    const bool ends = event.kind == ProductionEventKind::Ok ||
                      event.kind == ProductionEventKind::Skip ||
                      event.kind == ProductionEventKind::Fail;
    if (event.kind == ProductionEventKind::Start || ends)
        line += " serial=" + (event.serial ? std::to_string(*event.serial) : std::string("none"));
    if (event.kind == ProductionEventKind::Fail) {
        line += " status=" + std::to_string(event.exit);
        line += " reason=" + SignalValue(event.reason);
    }
    if (ends)
        line += " seconds=" + Seconds(event.seconds);
    return line;
}

std::string ProgressLine(const ProductionTally& tally, long total) {
    std::string line = std::to_string(tally.Done());
    if (total > 0)
        line += "/" + std::to_string(total);
    line += tally.Done() == 1 && total <= 1 ? " probe done, " : " probes done, ";
    return line + std::to_string(tally.failed) + " failed";
}

std::string SummaryLine(const std::string& lot, const ProductionSummary& summary) {
    std::string line = "lot " + lot + ": " + std::to_string(summary.tally.programmed) +
                       " programmed, " + std::to_string(summary.tally.skipped) + " skipped, " +
                       std::to_string(summary.tally.failed) + " failed; ";
    if (summary.serialsLeft < 0)
        return line + "the serials left could not be counted";
    return line + std::to_string(summary.serialsLeft) +
           (summary.serialsLeft == 1 ? " serial left" : " serials left");
}

std::string SummarySignal(const ProductionSummary& summary) {
    return "done programmed=" + std::to_string(summary.tally.programmed) +
           " skipped=" + std::to_string(summary.tally.skipped) +
           " failed=" + std::to_string(summary.tally.failed) +
           " left=" + std::to_string(summary.serialsLeft) +
           " status=" + std::to_string(summary.exit);
}
