#include "connection_text.h"

#include <array>
#include <cctype>

namespace {

constexpr std::array<std::string_view, 2> kPasswordKeys = {"pwd", "password"};

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// The length of a password key with its '=' starting at text[at], or 0.
std::size_t PasswordKeyLength(std::string_view text, std::size_t at) {
    if (at > 0 && IsNameCharacter(text[at - 1]))
        return 0;
    for (std::string_view key : kPasswordKeys) {
        std::size_t i = at;
        std::size_t k = 0;
        while (k < key.size() && i < text.size() &&
               std::tolower(static_cast<unsigned char>(text[i])) == key[k])
            ++i, ++k;
        if (k < key.size())
            continue;
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i < text.size() && text[i] == '=')
            return i + 1 - at;
    }
    return 0;
}

// The end of the value that starts at text[at]: a {braced} value (with "}}" for
// a brace inside) or everything up to ';'.
std::size_t ValueEnd(std::string_view text, std::size_t at) {
    while (at < text.size() && text[at] == ' ')
        ++at;
    if (at < text.size() && text[at] == '{') {
        for (std::size_t i = at + 1; i < text.size(); ++i) {
            if (text[i] != '}')
                continue;
            if (i + 1 < text.size() && text[i + 1] == '}') {
                ++i;
                continue;
            }
            return i + 1;
        }
        return text.size();
    }
    const std::size_t end = text.find(';', at);
    return end == std::string_view::npos ? text.size() : end;
}

}  // namespace

std::string ConnectionString(const std::string& dsn) {
    return dsn.find('=') == std::string::npos ? "DSN=" + dsn : dsn;
}

std::string WithoutPasswords(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t key = PasswordKeyLength(text, i);
        if (key == 0) {
            out += text[i++];
            continue;
        }
        i = ValueEnd(text, i + key);
        if (i < text.size() && text[i] == ';')
            ++i;
        else if (!out.empty() && out.back() == ';')
            out.pop_back();
    }
    return out;
}
