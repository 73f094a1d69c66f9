#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

// What the history's store needs of a database, so that one store serves over SQLite and
// over a server: statements with numbered parameters (?1, ?2, ...) and their rows, and a
// write transaction that holds the history's write lock.

struct SqlValue {
    enum class Kind : uint8_t { Null, Integer, Text, Blob };
    Kind kind = Kind::Null;
    int64_t integer = 0;
    std::string text;
    std::vector<uint8_t> blob;

    SqlValue() = default;
    template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>>
    SqlValue(T value) : kind(Kind::Integer), integer(static_cast<int64_t>(value)) {}
    SqlValue(std::string value) : kind(Kind::Text), text(std::move(value)) {}
    SqlValue(const char* value) : kind(Kind::Text), text(value) {}
    SqlValue(std::vector<uint8_t> value) : kind(Kind::Blob), blob(std::move(value)) {}
};

// One row of a result, its columns from 0.
class SqlRow {
public:
    explicit SqlRow(std::vector<SqlValue> columns) : m_columns(std::move(columns)) {}
    int64_t Int(size_t i) const { return i < m_columns.size() ? m_columns[i].integer : 0; }
    bool IsNull(size_t i) const {
        return i >= m_columns.size() || m_columns[i].kind == SqlValue::Kind::Null;
    }
    const std::string& Text(size_t i) const;
    const std::vector<uint8_t>& Blob(size_t i) const;

private:
    std::vector<SqlValue> m_columns;
};
using SqlRows = std::vector<SqlRow>;

class SqlSession {
public:
    virtual ~SqlSession() = default;
    // Runs one statement; its rows, when it gives any, are added to `rows`. "" or why not.
    virtual std::string Run(const std::string& sql, const std::vector<SqlValue>& params = {},
                            SqlRows* rows = nullptr) = 0;
    // Begins a transaction that holds the history's write lock: every writer waits here for
    // the others, so that the chain grows one link at a time.
    virtual std::string BeginWrite() = 0;
    virtual std::string Commit() = 0;
    virtual void Rollback() = 0;
    // A read that sees one state of the history throughout, whatever is written meanwhile.
    virtual std::string BeginRead() { return Run("BEGIN"); }
    virtual void EndRead() { Run("COMMIT"); }
    // Where it is, as a message names it ("/home/ops/.../history.sqlite", "history.plant").
    virtual std::string Name() const = 0;
};

// A write transaction, rolled back unless committed.
class SqlWrite {
public:
    explicit SqlWrite(SqlSession& session) : m_session(session) {}
    ~SqlWrite() {
        if (m_open)
            m_session.Rollback();
    }
    SqlWrite(const SqlWrite&) = delete;
    SqlWrite& operator=(const SqlWrite&) = delete;
    std::string Begin() {
        std::string why = m_session.BeginWrite();
        m_open = why.empty();
        return why;
    }
    std::string Commit() {
        std::string why = m_session.Commit();
        if (why.empty())
            m_open = false;
        return why;
    }

private:
    SqlSession& m_session;
    bool m_open = false;
};
