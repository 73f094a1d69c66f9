#pragma once

#include "history/sql_session.h"

#include <map>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// A SqlSession over one SQLite connection. Statements are prepared once and kept.
class SqliteSession : public SqlSession {
public:
    // How long a statement waits for another writer before it gives up.
    static constexpr int kBusyTimeoutMs = 3000;

    SqliteSession() = default;
    ~SqliteSession() override;
    SqliteSession(const SqliteSession&) = delete;
    SqliteSession& operator=(const SqliteSession&) = delete;

    // "" or why the file cannot be opened (`path` is also the session's name).
    std::string Open(const std::string& path, bool writable);
    // Takes `db` in place of the connection it has (a copy in memory, say).
    void Adopt(sqlite3* db);
    sqlite3* Handle() const { return m_db; }

    std::string Run(const std::string& sql, const std::vector<SqlValue>& params = {},
                    SqlRows* rows = nullptr) override;
    std::string BeginWrite() override;
    std::string Commit() override;
    void Rollback() override;
    std::string Name() const override { return m_path; }

    // The database's reason for the last failure, with the system's where it gave one.
    std::string Failure() const;

private:
    void Close();

    sqlite3* m_db = nullptr;
    std::string m_path;
    std::map<std::string, sqlite3_stmt*> m_prepared;
};
