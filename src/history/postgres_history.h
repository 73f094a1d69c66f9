#pragma once

#include "history/postgres_session.h"
#include "history/sql_history.h"

#include <string>

// The history on a PostgreSQL server, shared by every loader and tqxctl of a plant. The
// same store as the file's over another session; its schema carries its version in a
// table of its own, and a server's schema of a newer version is read, not written.
class PostgresHistory : public SqlHistory {
public:
    static constexpr int kSchemaVersion = 2;

    PostgresHistory() : SqlHistory(m_server) {}

    // "" or why the server cannot be reached, refused, or holds no history this version
    // can read. The schema is made on a server that has none (by a role that may).
    std::string Open(const std::string& conninfo);
    bool Unreachable() const { return m_server.Unreachable(); }
    bool Refused() const { return m_server.Refused(); }
    const std::string& Where() const { return m_conninfo; }

private:
    std::string MakeSchema();

    PostgresSession m_server;
    std::string m_conninfo;
};
