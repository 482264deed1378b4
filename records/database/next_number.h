// Numbers handed out once across every bench (certificate numbers, the serials
// of a production lot): a named counter in the database, taken in one
// transaction so that two benches asking at once never get the same number.
#pragma once

#include <string>

class Connection;

// The counter's next number, from 1; throws DatabaseError when none can be taken.
long long TakeNextNumber(Connection& connection, const std::string& counter);
