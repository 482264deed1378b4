#include "uncertainty_budget.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>

#include <toml++/toml.h>

#include "number_text.h"
#include "reference_standards.h"
#include "sha256.h"
#include "tool_error.h"
#include "whole_file.h"

namespace {

struct Distribution {
    const char* name;
    double divisor;  // u = half width / divisor
};

const Distribution kDistributions[] = {
    {"rectangular", std::sqrt(3.0)},
    {"triangular", std::sqrt(6.0)},
    {"u-shaped", std::sqrt(2.0)},
};

const std::set<std::string> kEntryKeys = {
    "name", "u", "expanded", "k", "half_width", "distribution", "sensitivity", "dof"};
const std::set<std::string> kReferenceKeys = {"id", "certificate", "due"};

std::string Where(const std::string& source, const toml::node& node) {
    const toml::source_position at = node.source().begin;
    return source + (at ? ":" + std::to_string(at.line) : std::string());
}

[[noreturn]] void Refuse(const std::string& where, const std::string& message) {
    throw ToolError(ExitFile, where + ": " + message);
}

// A number where one is given: TOML integers and floats alike.
std::optional<double> Number(const toml::table& table, const char* key, const std::string& where) {
    const toml::node* node = table.get(key);
    if (node == nullptr)
        return std::nullopt;
    if (!node->is_number())
        Refuse(where, std::string(key) + " is not a number");
    return node->value<double>();
}

double Positive(const toml::table& table, const char* key, const std::string& where) {
    const std::optional<double> value = Number(table, key, where);
    if (!value)
        Refuse(where, std::string("no ") + key);
    if (!(std::isfinite(*value) && *value > 0))
        Refuse(where, std::string(key) + " " + DoubleText(*value) + " is not finite and above 0");
    return *value;
}

std::string Text(const toml::table& table, const char* key, const std::string& where) {
    const toml::node* node = table.get(key);
    if (node == nullptr)
        Refuse(where, std::string("no ") + key);
    if (!node->is_string() || node->value<std::string>()->empty())
        Refuse(where, std::string(key) + " is not a text");
    return *node->value<std::string>();
}

void RefuseUnknownKeys(const toml::table& table, const std::set<std::string>& known,
                       const std::string& where) {
    for (const auto& [key, node] : table)
        if (!known.contains(std::string(key.str())))
            Refuse(where, "unknown key \"" + std::string(key.str()) + "\"");
}

double StandardUncertainty(const toml::table& table, BudgetEntry& entry, const std::string& where) {
    const bool u = table.contains("u");
    const bool expanded = table.contains("expanded") || table.contains("k");
    const bool halfWidth = table.contains("half_width") || table.contains("distribution");
    if (u + expanded + halfWidth != 1)
        Refuse(where, "give exactly one of u, expanded with k, or half_width with distribution");
    if (u) {
        entry.basis = "standard uncertainty";
        return Positive(table, "u", where);
    }
    if (expanded) {
        const double value = Positive(table, "expanded", where);
        const double k = Positive(table, "k", where);
        entry.basis = "expanded " + DoubleText(value) + ", k = " + DoubleText(k);
        return value / k;
    }
    const double a = Positive(table, "half_width", where);
    const std::string name = Text(table, "distribution", where);
    for (const Distribution& distribution : kDistributions)
        if (name == distribution.name) {
            entry.basis = name + ", half width " + DoubleText(a);
            return a / distribution.divisor;
        }
    Refuse(where, "distribution \"" + name + "\" is not rectangular, triangular or u-shaped");
}

BudgetEntry Entry(const toml::table& table, const std::string& where) {
    RefuseUnknownKeys(table, kEntryKeys, where);
    BudgetEntry entry;
    entry.name = Text(table, "name", where);
    const std::string named = where + " (\"" + entry.name + "\")";
    entry.u = StandardUncertainty(table, entry, named);
    if (const std::optional<double> sensitivity = Number(table, "sensitivity", named)) {
        if (!(std::isfinite(*sensitivity) && *sensitivity != 0))
            Refuse(named, "sensitivity " + DoubleText(*sensitivity) + " is not finite and not 0");
        entry.sensitivity = *sensitivity;
    }
    if (table.contains("dof")) {
        const std::optional<double> dof = Number(table, "dof", named);
        if (!(*dof >= 1))  // infinity is allowed: the default said out loud
            Refuse(named, "dof " + DoubleText(*dof) + " is not 1 or more");
        if (std::isfinite(*dof))
            entry.dof = *dof;
    }
    return entry;
}

// A TOML date, or a text YYYY-MM-DD.
std::string DueDate(const toml::table& table, const std::string& where) {
    const toml::node* node = table.get("due");
    if (node == nullptr)
        Refuse(where, "no due");
    std::string text;
    if (const toml::value<toml::date>* date = node->as_date()) {
        char digits[16];
        const toml::date& value = date->get();
        std::snprintf(digits, sizeof digits, "%04d-%02d-%02d", static_cast<int>(value.year),
                      static_cast<int>(value.month), static_cast<int>(value.day));
        text = digits;
    } else if (node->is_string()) {
        text = *node->value<std::string>();
    }
    if (!IsDateText(text))
        Refuse(where, "due is not a date YYYY-MM-DD");
    return text;
}

ReferenceStandard Reference(const toml::table& table, const std::string& where) {
    RefuseUnknownKeys(table, kReferenceKeys, where);
    ReferenceStandard reference;
    reference.id = Text(table, "id", where);
    const std::string named = where + " (\"" + reference.id + "\")";
    reference.certificate = Text(table, "certificate", named);
    reference.due = DueDate(table, named);
    return reference;
}

// Each element of a table array, with where it stands.
template <typename Read>
void EachTable(const toml::table& root, const char* key, const std::string& source, Read read) {
    const toml::node* node = root.get(key);
    if (node == nullptr)
        return;
    const toml::array* array = node->as_array();
    if (array == nullptr)
        Refuse(Where(source, *node),
               std::string(key) + " is not an array of tables [[" + key + "]]");
    std::size_t index = 0;
    for (const toml::node& element : *array) {
        ++index;
        const std::string where =
            Where(source, element) + ": [[" + key + "]] " + std::to_string(index);
        if (!element.is_table())
            Refuse(where, "not a table");
        read(*element.as_table(), where);
    }
}

// The code point of a UTF-8 sequence at text[i], its length in length; nothing for
// bytes that are not UTF-8 (overlong forms, surrogates and beyond U+10FFFF too).
std::optional<char32_t> Utf8At(std::string_view text, std::size_t i, std::size_t& length) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead >= 0xF8 || i + length > text.size())
        return std::nullopt;
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return std::nullopt;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return code;
}

// The budget as ASCII for the parser, whose handling of characters beyond ASCII is
// not sound: in a "quoted" text each becomes its \u or \U escape, which reads back
// as the same character; in a comment a '?'. Anywhere else TOML allows none, and
// in a 'literal' text none can be escaped: there, and for bytes that are not
// UTF-8, the line is refused.
std::string AsciiText(std::string_view text, const std::string& source) {
    std::string ascii;
    ascii.reserve(text.size());
    std::size_t line = 1;
    std::string_view quote;  // the open quote: ", ', """ or '''; empty: none
    bool comment = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            std::size_t length = 0;
            const std::optional<char32_t> code = Utf8At(text, i, length);
            const std::string where = source + ":" + std::to_string(line);
            if (!code)
                Refuse(where, "not a TOML file: bytes that are not UTF-8");
            if (!comment && (quote.empty() || quote[0] != '"'))
                Refuse(where,
                       "not a TOML file: a character beyond ASCII outside a \"quoted\" "
                       "text or a comment");
            char escape[16];
            std::snprintf(escape, sizeof escape, *code > 0xFFFF ? "\\U%08X" : "\\u%04X",
                          static_cast<unsigned>(*code));
            ascii += comment ? "?" : escape;
            i += length - 1;
            continue;
        }
        ascii += c;
        if (c == '\n') {
            ++line;
            comment = false;
            if (quote.size() == 1)  // a one-line text ends here; the parser tells why
                quote = {};
        } else if (comment) {
        } else if (!quote.empty()) {
            if (c == '\\' && quote[0] == '"' && i + 1 < text.size() &&
                static_cast<unsigned char>(text[i + 1]) < 0x80 && text[i + 1] != '\n') {
                ascii += text[++i];  // an escaped character, a quote among them
            } else if (text.substr(i, quote.size()) == quote) {
                ascii += text.substr(i + 1, quote.size() - 1);
                i += quote.size() - 1;
                quote = {};
            }
        } else if (c == '#') {
            comment = true;
        } else if (c == '"' || c == '\'') {
            const std::string_view triple = c == '"' ? "\"\"\"" : "'''";
            quote = text.substr(i, 3) == triple ? triple : triple.substr(0, 1);
            ascii += quote.substr(1);
            i += quote.size() - 1;
        }
    }
    return ascii;
}

}  // namespace

UncertaintyBudget ParseBudget(std::string_view text, const std::string& source) {
    const std::string ascii = AsciiText(text, source);
    toml::table root;
    try {
        root = toml::parse(ascii, source);
    } catch (const toml::parse_error& error) {
        const toml::source_position at = error.source().begin;
        Refuse(source + (at ? ":" + std::to_string(at.line) : std::string()),
               "not a TOML file: " + std::string(error.description()));
    }
    RefuseUnknownKeys(root, {"method", "position", "force", "reference"}, source);
    UncertaintyBudget budget;
    budget.source = source;
    if (root.contains("method"))
        budget.method = Text(root, "method", source);
    EachTable(root, "position", source, [&](const toml::table& table, const std::string& where) {
        budget.position.push_back(Entry(table, where));
    });
    EachTable(root, "force", source, [&](const toml::table& table, const std::string& where) {
        budget.force.push_back(Entry(table, where));
    });
    EachTable(root, "reference", source, [&](const toml::table& table, const std::string& where) {
        budget.references.push_back(Reference(table, where));
    });
    if (budget.position.empty() && budget.force.empty())
        Refuse(source, "no [[position]] or [[force]] entry");
    return budget;
}

UncertaintyBudget ReadBudget(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ToolError(ExitFile, "cannot read the budget " + QuotedPath(path));
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (in.bad())
        throw ToolError(ExitFile, "cannot read the budget " + QuotedPath(path));
    UncertaintyBudget budget = ParseBudget(bytes, path.string());
    budget.sha256 = Sha256Hex(bytes);
    return budget;
}
