// A small ODBC client on the wide-character functions alone: one environment and
// connection per Connection, statements prepared with bound parameters, and every
// failure a DatabaseError whose text has the driver's diagnostics with any
// password removed.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class DatabaseError : public std::runtime_error {
  public:
    explicit DatabaseError(const std::string& message, std::string state = {})
        : std::runtime_error(message), state_(std::move(state)) {}
    // The SQLSTATE of the driver's first diagnostic ("23514"); empty when none.
    const std::string& state() const { return state_; }
    // The server refused what was sent (a constraint, a trigger, a privilege), as
    // opposed to a connection that failed or went away.
    bool IsRefusal() const;

  private:
    std::string state_;
};

using SqlValue = std::optional<std::string>;  // nullopt: SQL NULL

class Statement;

class Connection {
  public:
    // DSN is a data source name or a whole connection string ("DSN=lab;UID=bench").
    explicit Connection(const std::string& dsn, int loginTimeoutSeconds = 10);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The server's product name, as the driver reports it ("PostgreSQL").
    std::string DbmsName() const;

    // One statement without parameters and without results.
    void Execute(const std::string& sql);
    Statement Prepare(const std::string& sql);

    // Statements between Begin and Commit or Rollback form one transaction.
    void Begin();
    void Commit();
    void Rollback() noexcept;  // best effort: the connection may be gone

    struct Parts;  // the ODBC handles, kept out of this header
    Parts& parts() { return *parts_; }

  private:
    std::unique_ptr<Parts> parts_;
};

// A prepared statement; parameters are bound anew for each execution and their
// buffers held until the next.
class Statement {
  public:
    Statement(Connection& connection, const std::string& sql);
    ~Statement();
    Statement(Statement&&) noexcept;
    Statement& operator=(Statement&&) noexcept;

    void Execute(const std::vector<SqlValue>& parameters = {});
    // Rows touched by the last INSERT, UPDATE or DELETE.
    long long RowCount() const;
    // Moves to the next row of the result; false after the last.
    bool Fetch();
    // Column from 1 of the current row, as text; nullopt for NULL.
    SqlValue Text(int column);
    // Discards what is left of the result.
    void Close();

    struct Parts;

  private:
    std::unique_ptr<Parts> parts_;
};
