// Text between UTF-8 and the wide characters of ODBC (UTF-16 on Windows and in
// unixODBC alike).
#pragma once

#include <string>
#include <string_view>

#include "odbc_headers.h"

using OdbcText = std::basic_string<SQLWCHAR>;

// Malformed UTF-8 becomes U+FFFD, so that no text is refused on its way out.
OdbcText ToOdbcText(std::string_view utf8);
std::string FromOdbcText(const SQLWCHAR* text, std::size_t length);
