// Connection strings: a bare data source name made whole, and passwords removed
// from any text before it is shown or kept.
#pragma once

#include <string>
#include <string_view>

// "lab" -> "DSN=lab"; a text holding '=' is already a connection string.
std::string ConnectionString(const std::string& dsn);

// The text with every PWD=... and Password=... pair (any case, a {braced} value
// included) taken out, with its separating ';'.
std::string WithoutPasswords(std::string_view text);
