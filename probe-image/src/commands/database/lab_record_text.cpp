#include "lab_record_text.h"

std::string FieldText(const nlohmann::ordered_json& object, const char* name) {
    if (!object.is_object())
        return {};
    const auto field = object.find(name);
    if (field == object.end())
        return {};
    if (field->is_string())
        return field->get<std::string>();
    if (field->is_number_integer())
        return field->dump();
    return {};
}
