#pragma once

#include "history/sql_session.h"

#include <string>

struct pg_conn;

// A SqlSession over one connection to a PostgreSQL server, through libpq. The connection
// string is libpq's own (a URI or key=value words); a password comes from libpq's password
// file or the environment, never from the loader's settings. A connection that takes more
// than a few seconds, or a statement more than ten, is given up, so that a server out of
// reach never holds a recording for long.
class PostgresSession : public SqlSession {
public:
    static constexpr int kConnectTimeoutSeconds = 3;
    static constexpr int kStatementTimeoutMs = 10000;

    PostgresSession() = default;
    ~PostgresSession() override;
    PostgresSession(const PostgresSession&) = delete;
    PostgresSession& operator=(const PostgresSession&) = delete;

    // "" or why the server cannot be reached or refused the connection.
    std::string Open(const std::string& conninfo);
    // Whether the last failure was the server out of reach (not a refusal of a statement).
    bool Unreachable() const { return m_unreachable; }
    // Whether the last failure was the server refusing for want of rights.
    bool Refused() const { return m_refused; }

    std::string Run(const std::string& sql, const std::vector<SqlValue>& params = {},
                    SqlRows* rows = nullptr) override;
    std::string BeginWrite() override;
    std::string Commit() override;
    void Rollback() override;
    std::string BeginRead() override {
        return Run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    }
    std::string Name() const override { return m_name; }

private:
    std::string Failed(const std::string& what);

    pg_conn* m_conn = nullptr;
    std::string m_name;
    bool m_unreachable = false;
    bool m_refused = false;
};

// The server's name for messages: its host (and database), never the password.
std::string ServerName(const std::string& conninfo);
// Whether `where` is a server's connection string rather than a file's path.
bool IsServerConnection(const std::string& where);
// Whether the connection string carries a password (which no setting may keep).
bool HoldsPassword(const std::string& conninfo);
// "" when `conninfo` may be kept as the loader's shared history (empty: none), else why not.
std::string SharedHistoryRefusal(const std::string& conninfo);
