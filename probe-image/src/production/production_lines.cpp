#include "production_lines.h"

#include <cstdio>

namespace {

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}

std::string SerialWords(const ProductionEvent& event) {
    if (!event.serial)
        return "no serial";
    std::string words = "serial ";
    words += std::to_string(*event.serial);
    return words;
}

bool Ends(ProductionEventKind kind) {
    return kind == ProductionEventKind::Ok || kind == ProductionEventKind::Skip ||
           kind == ProductionEventKind::Fail;
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
    std::string line = event.target;
    line += ": ";
    switch (event.kind) {
        case ProductionEventKind::Start:
            line += SerialWords(event);
            line += ": writing";
            break;
        case ProductionEventKind::Ok:
            line += SerialWords(event);
            line += " programmed and verified";
            break;
        case ProductionEventKind::Skip:
            line += "holds ";
            line += SerialWords(event);
            line += " of the lot already; skipped";
            break;
        case ProductionEventKind::Fail:
            line += "failed";
            if (event.serial) {
                line += " (serial ";
                line += std::to_string(*event.serial);
                line += " spoiled)";
            }
            line += ": ";
            line += event.reason;
            break;
        case ProductionEventKind::Waiting:
            line += "waiting for a probe";
            break;
        case ProductionEventKind::Removed:
            line += "probe taken out";
            break;
    }
    if (Ends(event.kind)) {
        line += " (";
        line += Seconds(event.seconds);
        line += " s)";
    }
    return line;
}

std::string SignalLine(const ProductionEvent& event) {
    std::string line = SignalWord(event.kind);
    line += " target=";
    line += SignalValue(event.target);
    if (event.kind == ProductionEventKind::Start || Ends(event.kind)) {
        line += " serial=";
        line += event.serial ? std::to_string(*event.serial) : std::string("none");
    }
    if (event.kind == ProductionEventKind::Fail) {
        line += " status=";
        line += std::to_string(event.exit);
        line += " reason=";
        line += SignalValue(event.reason);
    }
    if (Ends(event.kind)) {
        line += " seconds=";
        line += Seconds(event.seconds);
    }
    return line;
}

std::string ProgressLine(const ProductionTally& tally, long total) {
    std::string line = std::to_string(tally.Done());
    if (total > 0) {
        line += "/";
        line += std::to_string(total);
    }
    line += tally.Done() == 1 && total <= 1 ? " probe done, " : " probes done, ";
    line += std::to_string(tally.failed);
    line += " failed";
    return line;
}

std::string SummaryLine(const std::string& lot, const ProductionSummary& summary) {
    std::string line = "lot ";
    line += lot;
    line += ": ";
    line += std::to_string(summary.tally.programmed);
    line += " programmed, ";
    line += std::to_string(summary.tally.skipped);
    line += " skipped, ";
    line += std::to_string(summary.tally.failed);
    line += " failed; ";
    if (summary.serialsLeft < 0) {
        line += "the serials left could not be counted";
        return line;
    }
    line += std::to_string(summary.serialsLeft);
    line += summary.serialsLeft == 1 ? " serial left" : " serials left";
    return line;
}

std::string SummarySignal(const ProductionSummary& summary) {
    const std::pair<const char*, long> fields[] = {{" programmed=", summary.tally.programmed},
                                                   {" skipped=", summary.tally.skipped},
                                                   {" failed=", summary.tally.failed},
                                                   {" left=", summary.serialsLeft},
                                                   {" status=", summary.exit}};
    std::string line = "done";
    for (const auto& [key, value] : fields) {
        line += key;
        line += std::to_string(value);
    }
    return line;
}
