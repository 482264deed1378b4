#include "chained_line.h"

#include <nlohmann/json.hpp>

namespace {

bool IsLowerHex(const std::string& text, std::size_t length) {
    return text.size() == length && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

std::string TextOf(const nlohmann::json& object, const char* name) {
    const auto field = object.find(name);
    if (field == object.end())
        return {};
    if (field->is_string())
        return field->get<std::string>();
    if (field->is_number_integer())
        return field->dump();
    return {};
}

LineReading Damaged(std::string reason) {
    LineReading reading;
    reading.reason = std::move(reason);
    return reading;
}

}  // namespace

LineReading ReadChainedLine(std::string_view text) {
    if (text.substr(0, 6) != R"({"id":)") {
        const auto object = nlohmann::json::parse(text, nullptr, false);
        if (object.is_discarded() || !object.is_object())
            return Damaged("not one JSON object");
        LineReading reading;
        reading.kind = LineKind::Unchained;
        return reading;
    }
    const auto object = nlohmann::json::parse(text, nullptr, false);
    if (object.is_discarded() || !object.is_object())
        return Damaged("not one JSON object");
    const std::string id = TextOf(object, "id");
    const std::string journal = TextOf(object, "journal");
    const auto prev = object.find("prev");
    if (!IsLowerHex(id, 64))
        return Damaged("its id is not 64 lowercase hexadecimal digits");
    if (!IsLowerHex(journal, 32))
        return Damaged("its journal is not 32 lowercase hexadecimal digits");
    if (prev == object.end() ||
        !(prev->is_null() || (prev->is_string() && IsLowerHex(prev->get<std::string>(), 64))))
        return Damaged("its prev is neither null nor 64 lowercase hexadecimal digits");

    LineReading reading;
    reading.kind = LineKind::Chained;
    ChainedLine& fields = reading.fields;
    fields.id = id;
    if (!prev->is_null())
        fields.prev = prev->get<std::string>();
    fields.journal = journal;
    fields.bench = TextOf(object, "host");
    fields.time = TextOf(object, "time");
    fields.serial = TextOf(object, "serial");
    fields.command = TextOf(object, "command");
    const auto production = object.find("production");
    if (production != object.end() && production->is_object()) {
        const auto lot = production->find("lot");
        if (lot != production->end() && lot->is_string())
            fields.lot = lot->get<std::string>();
    }
    return reading;
}
