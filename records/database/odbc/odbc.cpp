#include "odbc.h"

#include "connection_text.h"
#include "odbc_handle.h"
#include "odbc_text.h"

static_assert(sizeof(SQLWCHAR) == 2, "ODBC's wide characters are UTF-16 units");

struct Connection::Parts {
    Parts() : environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE) {}
    void EndTransaction(SQLSMALLINT completion);

    OdbcHandle environment;
    std::unique_ptr<OdbcHandle> connection;
    bool connected = false;
};

struct Statement::Parts {
    std::unique_ptr<OdbcHandle> statement;
    std::vector<OdbcText> parameterBuffers;
    std::vector<SQLLEN> parameterLengths;
};

namespace {

bool Succeeded(SQLRETURN code) {
    return code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO;
}

SQLWCHAR* Wide(OdbcText& text) {
    return text.data();
}

}  // namespace

OdbcHandle::OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    if (!Succeeded(SQLAllocHandle(type, parent, &handle_)))
        throw DatabaseError(type == SQL_HANDLE_ENV ? "no ODBC environment (is the driver "
                                                     "manager installed?)"
                                                   : "ODBC could not allocate a handle");
}

OdbcHandle::~OdbcHandle() {
    if (handle_ != SQL_NULL_HANDLE)
        SQLFreeHandle(type_, handle_);
}

bool DatabaseError::IsRefusal() const {
    // Integrity (23), data (22), access (42) and raised exceptions (P0).
    const std::string kind = state_.substr(0, 2);
    return kind == "23" || kind == "22" || kind == "42" || kind == "P0";
}

std::string Diagnostics(const OdbcHandle& handle, std::string* state) {
    std::string text;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR sqlState[6] = {};
        SQLINTEGER nativeCode = 0;
        SQLWCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN status =
            SQLGetDiagRecW(handle.type(), handle.get(), record, sqlState, &nativeCode, message,
                           static_cast<SQLSMALLINT>(std::size(message)), &length);
        if (!Succeeded(status))
            break;
        const std::size_t shown =
            std::min<std::size_t>(static_cast<std::size_t>(length), std::size(message) - 1);
        std::string line = FromOdbcText(message, shown);
        for (char& c : line)
            if (c == '\n' || c == '\r')
                c = ' ';
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        const std::string code = FromOdbcText(sqlState, 5);
        if (state != nullptr && record == 1)
            *state = code;
        if (!text.empty())
            text += "; ";
        text += code + " " + line;
    }
    return WithoutPasswords(text.empty() ? "no diagnostics from the driver" : text);
}

void CheckOdbc(SQLRETURN code, const OdbcHandle& handle, const std::string& what) {
    if (Succeeded(code))
        return;
    std::string state;
    const std::string diagnostics = Diagnostics(handle, &state);
    throw DatabaseError(what + ": " + diagnostics, state);
}

Connection::Connection(const std::string& dsn, int loginTimeoutSeconds)
    : parts_(std::make_unique<Parts>()) {
    OdbcHandle& environment = parts_->environment;
    std::unique_ptr<OdbcHandle>& connection = parts_->connection;
    CheckOdbc(SQLSetEnvAttr(environment.get(), SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(SQL_OV_ODBC3)), 0),
              environment, "ODBC 3 refused");
    connection = std::make_unique<OdbcHandle>(SQL_HANDLE_DBC, environment.get());
    SQLSetConnectAttrW(connection->get(), SQL_ATTR_LOGIN_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(loginTimeoutSeconds)), 0);
    OdbcText text = ToOdbcText(ConnectionString(dsn));
    SQLWCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    CheckOdbc(SQLDriverConnectW(connection->get(), nullptr, Wide(text),
                                static_cast<SQLSMALLINT>(text.size()), completed,
                                static_cast<SQLSMALLINT>(std::size(completed)), &completedLength,
                                SQL_DRIVER_NOPROMPT),
              *connection, "cannot connect to " + WithoutPasswords(dsn));
    parts_->connected = true;
}

Connection::~Connection() {
    if (parts_->connected)
        SQLDisconnect(parts_->connection->get());
}

std::string Connection::DbmsName() const {
    const std::unique_ptr<OdbcHandle>& connection = parts_->connection;
    SQLWCHAR name[128] = {};
    SQLSMALLINT length = 0;
    CheckOdbc(SQLGetInfoW(connection->get(), SQL_DBMS_NAME, name, sizeof name, &length),
              *connection, "the server's name");
    return FromOdbcText(name,
                        std::min<std::size_t>(length / sizeof(SQLWCHAR), std::size(name) - 1));
}

void Connection::Execute(const std::string& sql) {
    OdbcHandle statement(SQL_HANDLE_STMT, parts_->connection->get());
    OdbcText text = ToOdbcText(sql);
    const SQLRETURN code =
        SQLExecDirectW(statement.get(), Wide(text), static_cast<SQLINTEGER>(text.size()));
    if (code != SQL_NO_DATA)
        CheckOdbc(code, statement, "the database refused a statement");
}

Statement Connection::Prepare(const std::string& sql) {
    return Statement(*this, sql);
}

void Connection::Begin() {
    const std::unique_ptr<OdbcHandle>& connection = parts_->connection;
    CheckOdbc(SQLSetConnectAttrW(
                  connection->get(), SQL_ATTR_AUTOCOMMIT,
                  reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_OFF)), 0),
              *connection, "cannot begin a transaction");
}

void Connection::Parts::EndTransaction(SQLSMALLINT completion) {
    const SQLRETURN code = SQLEndTran(SQL_HANDLE_DBC, connection->get(), completion);
    SQLSetConnectAttrW(connection->get(), SQL_ATTR_AUTOCOMMIT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_ON)), 0);
    CheckOdbc(code, *connection, "the transaction did not commit");
}

void Connection::Commit() {
    parts_->EndTransaction(SQL_COMMIT);
}

void Connection::Rollback() noexcept {
    try {
        parts_->EndTransaction(SQL_ROLLBACK);
    } catch (const DatabaseError&) {
    }
}

Statement::Statement(Connection& connection, const std::string& sql)
    : parts_(std::make_unique<Parts>()) {
    parts_->statement =
        std::make_unique<OdbcHandle>(SQL_HANDLE_STMT, connection.parts().connection->get());
    const std::unique_ptr<OdbcHandle>& statement = parts_->statement;
    OdbcText text = ToOdbcText(sql);
    CheckOdbc(SQLPrepareW(statement->get(), Wide(text), static_cast<SQLINTEGER>(text.size())),
              *statement, "the database refused to prepare a statement");
}

Statement::~Statement() = default;
Statement::Statement(Statement&&) noexcept = default;
Statement& Statement::operator=(Statement&&) noexcept = default;

void Statement::Execute(const std::vector<SqlValue>& parameters) {
    const std::unique_ptr<OdbcHandle>& statement = parts_->statement;
    std::vector<OdbcText>& buffers = parts_->parameterBuffers;
    std::vector<SQLLEN>& lengths = parts_->parameterLengths;
    SQLFreeStmt(statement->get(), SQL_CLOSE);
    SQLFreeStmt(statement->get(), SQL_RESET_PARAMS);
    buffers.assign(parameters.size(), OdbcText());
    lengths.assign(parameters.size(), SQL_NULL_DATA);
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        OdbcText& buffer = buffers[i];
        if (parameters[i])
            buffer = ToOdbcText(*parameters[i]);
        buffer.push_back(0);
        const SQLULEN characters = std::max<SQLULEN>(buffer.size() - 1, 1);
        if (parameters[i])
            lengths[i] = static_cast<SQLLEN>((buffer.size() - 1) * sizeof(SQLWCHAR));
        CheckOdbc(
            SQLBindParameter(statement->get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                             SQL_C_WCHAR, characters > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR,
                             characters, 0, buffer.data(),
                             static_cast<SQLLEN>(buffer.size() * sizeof(SQLWCHAR)), &lengths[i]),
            *statement, "cannot bind a parameter");
    }
    const SQLRETURN code = SQLExecute(statement->get());
    if (code != SQL_NO_DATA)
        CheckOdbc(code, *statement, "the database refused");
}

long long Statement::RowCount() const {
    const std::unique_ptr<OdbcHandle>& statement = parts_->statement;
    SQLLEN count = 0;
    CheckOdbc(SQLRowCount(statement->get(), &count), *statement, "no row count");
    return count;
}

bool Statement::Fetch() {
    const std::unique_ptr<OdbcHandle>& statement = parts_->statement;
    const SQLRETURN code = SQLFetch(statement->get());
    if (code == SQL_NO_DATA)
        return false;
    CheckOdbc(code, *statement, "cannot fetch a row");
    return true;
}

SqlValue Statement::Text(int column) {
    const std::unique_ptr<OdbcHandle>& statement = parts_->statement;
    OdbcText value;
    SQLWCHAR chunk[2048];
    for (;;) {
        SQLLEN length = 0;
        const SQLRETURN code = SQLGetData(statement->get(), static_cast<SQLUSMALLINT>(column),
                                          SQL_C_WCHAR, chunk, sizeof chunk, &length);
        if (code == SQL_NO_DATA)
            break;
        CheckOdbc(code, *statement, "cannot read a column");
        if (length == SQL_NULL_DATA)
            return std::nullopt;
        const std::size_t capacity = std::size(chunk) - 1;
        const std::size_t got =
            length == SQL_NO_TOTAL || static_cast<std::size_t>(length) / sizeof(SQLWCHAR) > capacity
                ? capacity
                : static_cast<std::size_t>(length) / sizeof(SQLWCHAR);
        value.append(chunk, got);
        if (code == SQL_SUCCESS)
            break;
    }
    return FromOdbcText(value.data(), value.size());
}

void Statement::Close() {
    const std::unique_ptr<OdbcHandle>& statement = parts_->statement;
    SQLFreeStmt(statement->get(), SQL_CLOSE);
}
