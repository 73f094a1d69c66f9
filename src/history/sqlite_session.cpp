#include "history/sqlite_session.h"

#include <sqlite3.h>

#include <cstring>

SqliteSession::~SqliteSession() {
    Close();
}

void SqliteSession::Close() {
    for (auto& [sql, statement] : m_prepared)
        sqlite3_finalize(statement);
    m_prepared.clear();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

std::string SqliteSession::Failure() const {
    if (!m_db)
        return m_path + ": the history is not open";
    std::string why = sqlite3_errmsg(m_db);
    if (const int error = sqlite3_system_errno(m_db))
        why += std::string(" (") + std::strerror(error) + ")";
    return m_path + ": " + why;
}

std::string SqliteSession::Open(const std::string& path, bool writable) {
    Close();
    m_path = path;
    const int flags = writable ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK)
        return Failure();
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    return "";
}

void SqliteSession::Adopt(sqlite3* db) {
    const std::string path = m_path;
    Close();
    m_db = db;
    m_path = path;
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
}

std::string SqliteSession::Run(const std::string& sql, const std::vector<SqlValue>& params,
                               SqlRows* rows) {
    if (!m_db)
        return Failure();
    sqlite3_stmt*& statement = m_prepared[sql];
    if (!statement && sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        m_prepared.erase(sql);
        return Failure();
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    for (size_t i = 0; i < params.size(); ++i) {
        const SqlValue& v = params[i];
        const int at = static_cast<int>(i + 1);
        int rc = SQLITE_OK;
        switch (v.kind) {
        case SqlValue::Kind::Null:
            rc = sqlite3_bind_null(statement, at);
            break;
        case SqlValue::Kind::Integer:
            rc = sqlite3_bind_int64(statement, at, v.integer);
            break;
        case SqlValue::Kind::Text:
            rc = sqlite3_bind_text(statement, at, v.text.data(), static_cast<int>(v.text.size()),
                                   SQLITE_TRANSIENT);
            break;
        case SqlValue::Kind::Blob:
            rc = sqlite3_bind_blob(statement, at, v.blob.data(), static_cast<int>(v.blob.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        if (rc != SQLITE_OK)
            return Failure();
    }
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        if (!rows)
            continue;
        const int count = sqlite3_column_count(statement);
        std::vector<SqlValue> columns(static_cast<size_t>(count));
        for (int c = 0; c < count; ++c) {
            SqlValue& v = columns[static_cast<size_t>(c)];
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                v = SqlValue(static_cast<int64_t>(sqlite3_column_int64(statement, c)));
                break;
            case SQLITE_TEXT:
                v = SqlValue(
                    std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)),
                                static_cast<size_t>(sqlite3_column_bytes(statement, c))));
                break;
            case SQLITE_BLOB: {
                const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(statement, c));
                v = SqlValue(std::vector<uint8_t>(p, p + sqlite3_column_bytes(statement, c)));
                break;
            }
            default:
                break;
            }
        }
        rows->emplace_back(std::move(columns));
    }
    const std::string why = rc == SQLITE_DONE ? "" : Failure();
    sqlite3_reset(statement);
    return why;
}

std::string SqliteSession::BeginWrite() {
    // BEGIN IMMEDIATE takes the write lock at once, so that two writers meet at the busy
    // timeout rather than in a deadlock.
    return Run("BEGIN IMMEDIATE");
}

std::string SqliteSession::Commit() {
    return Run("COMMIT");
}

void SqliteSession::Rollback() {
    Run("ROLLBACK");
}
