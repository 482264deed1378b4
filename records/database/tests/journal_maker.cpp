#include "journal_maker.h"

#include <fstream>
#include <random>
#include <sstream>

#include "sha256.h"

namespace {

std::string RandomHex(std::size_t digits) {
    static std::mt19937_64 random{std::random_device{}()};
    std::string text;
    while (text.size() < digits)
        text += "0123456789abcdef"[random() % 16];
    return text;
}

std::string HashOf(const std::string& withoutId) {
    return Sha256Hex(std::string_view(withoutId));
}

}  // namespace

JournalMaker::JournalMaker() : journal_(RandomHex(32)) {}

std::string JournalMaker::Line(const nlohmann::ordered_json& fields) {
    std::string rest = fields.dump();
    rest.erase(0, 1);  // "{"
    std::string withoutId = std::string("{\"prev\":") +
                            (last_.empty() ? "null" : "\"" + last_ + "\"") + ",\"journal\":\"" +
                            journal_ + "\"" + (rest == "}" ? "" : ",") + rest;
    last_ = HashOf(withoutId);
    return "{\"id\":\"" + last_ + "\"," + withoutId.substr(1);
}

std::string JournalMaker::StatusLine(int n, const std::string& host, const std::string& serial) {
    char time[32];
    std::snprintf(time, sizeof time, "2026-05-%02dT%02d:%02d:%02dZ", 1 + n / 86400 % 28,
                  n / 3600 % 24, n / 60 % 60, n % 60);
    nlohmann::ordered_json fields = {
        {"time", time},        {"operator", "ana"},
        {"host", host},        {"tool", "probe-image 1.0.0"},
        {"command", "status"}, {"arguments", nlohmann::json::array()},
        {"type", "M006"},      {"serial", serial},
        {"exit", 0},           {"message", "line " + std::to_string(n)}};
    fields["asFound"] = {{"sha256", std::string(64, 'a')},
                         {"verdict", "accepted"},
                         {"type", "M006"},
                         {"serial", serial},
                         {"calibrationDate", "2605"}};
    return Line(fields);
}

// Built piece by piece: mingw's GCC 12 at -O3 warns falsely (-Wrestrict) of a
// literal added in front of a string.
std::string Rehashed(const std::string& line) {
    std::string withoutId = "{";
    withoutId += line.substr(73);
    std::string rehashed = "{\"id\":\"";
    rehashed += HashOf(withoutId);
    rehashed += "\",";
    rehashed += withoutId.substr(1);
    return rehashed;
}

std::string IdOf(const std::string& line) {
    return line.substr(7, 64);
}

void WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines)
        file << line << "\n";
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
