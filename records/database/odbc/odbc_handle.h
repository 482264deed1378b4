// The ODBC handles behind Connection and Statement, for the layer's own files.
#pragma once

#include <string>

#include "odbc_headers.h"

// An ODBC handle freed with its type when it goes.
class OdbcHandle {
  public:
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent);  // throws DatabaseError
    ~OdbcHandle();
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }

  private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

class DatabaseError;

// Throws DatabaseError("<what>: <diagnostics>") unless the return code is a success.
void CheckOdbc(SQLRETURN code, const OdbcHandle& handle, const std::string& what);
// The handle's diagnostic records, "SQLSTATE text" joined by "; ", passwords
// removed; state receives the first record's SQLSTATE.
std::string Diagnostics(const OdbcHandle& handle, std::string* state = nullptr);
