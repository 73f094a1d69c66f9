#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

// One prepared SQLite statement, finalized when it goes. Binding counts from 1, columns
// from 0, as SQLite does.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const char* sql) {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    }
    ~SqliteStatement() { sqlite3_finalize(m_stmt); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& Bind(int i, int64_t value) {
        Keep(sqlite3_bind_int64(m_stmt, i, value));
        return *this;
    }
    SqliteStatement& Bind(int i, const std::string& text) {
        Keep(sqlite3_bind_text(m_stmt, i, text.data(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT));
        return *this;
    }
    SqliteStatement& BindBlob(int i, const std::vector<uint8_t>& bytes) {
        Keep(sqlite3_bind_blob(m_stmt, i, bytes.data(), static_cast<int>(bytes.size()),
                               SQLITE_TRANSIENT));
        return *this;
    }
    SqliteStatement& BindNull(int i) {
        Keep(sqlite3_bind_null(m_stmt, i));
        return *this;
    }

    // Ready to step again with new bindings; a statement that failed to prepare stays failed.
    SqliteStatement& Reset() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        if (m_stmt && (m_rc == SQLITE_ROW || m_rc == SQLITE_DONE))
            m_rc = SQLITE_OK;
        return *this;
    }

    // SQLITE_ROW, SQLITE_DONE, or the error (also one met while preparing or binding).
    int Step() {
        if (m_rc != SQLITE_OK && m_rc != SQLITE_ROW && m_rc != SQLITE_DONE)
            return m_rc;
        return m_rc = sqlite3_step(m_stmt);
    }
    // Steps to the end: true when the statement ran through.
    bool Run() {
        while (Step() == SQLITE_ROW) {
        }
        return m_rc == SQLITE_DONE;
    }
    int Code() const { return m_rc; }

    int64_t Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
    bool IsNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    std::string Text(int column) const {
        const auto* p = sqlite3_column_text(m_stmt, column);
        return p ? std::string(reinterpret_cast<const char*>(p),
                               static_cast<size_t>(sqlite3_column_bytes(m_stmt, column)))
                 : std::string();
    }
    std::vector<uint8_t> Blob(int column) const {
        const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(m_stmt, column));
        return p ? std::vector<uint8_t>(p, p + sqlite3_column_bytes(m_stmt, column))
                 : std::vector<uint8_t>();
    }

private:
    void Keep(int rc) {
        if (m_rc == SQLITE_OK && rc != SQLITE_OK)
            m_rc = rc;
    }

    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_OK;
};

// A write transaction, rolled back unless committed. BEGIN IMMEDIATE takes the write lock
// at once, so that two writers meet at the busy timeout rather than in a deadlock.
class SqliteTransaction {
public:
    explicit SqliteTransaction(sqlite3* db) : m_db(db) {}
    ~SqliteTransaction() {
        if (m_open)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;
    int Begin() {
        const int rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        m_open = rc == SQLITE_OK;
        return rc;
    }
    int Commit() {
        const int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            m_open = false;
        return rc;
    }

private:
    sqlite3* m_db;
    bool m_open = false;
};
