#include "history/postgres_session.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr Oid kBytea = 17;
constexpr Oid kInt8 = 20;
constexpr Oid kInt2 = 21;
constexpr Oid kInt4 = 23;
constexpr Oid kBool = 16;

// "?12" as PostgreSQL writes it, "$12"; a question mark in a quoted text stays.
std::string Numbered(const std::string& sql) {
    std::string out;
    bool quoted = false;
    for (char c : sql) {
        if (c == '\'')
            quoted = !quoted;
        out += !quoted && c == '?' ? '$' : c;
    }
    return out;
}

int64_t BigEndian(const char* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | static_cast<uint8_t>(p[i]);
    // Sign-extend a shorter integer.
    if (bytes < 8 && (v >> (8 * bytes - 1)) & 1)
        v |= ~uint64_t(0) << (8 * bytes);
    return static_cast<int64_t>(v);
}

} // namespace

bool IsServerConnection(const std::string& where) {
    return where.rfind("postgresql://", 0) == 0 || where.rfind("postgres://", 0) == 0 ||
           where.find("dbname=") != std::string::npos || where.find("host=") != std::string::npos ||
           where.find("service=") != std::string::npos;
}

bool HoldsPassword(const std::string& conninfo) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
    PQfreemem(error);
    if (!options) // unreadable: never kept where it may hold one
        return conninfo.find("password") != std::string::npos ||
               conninfo.find('@') != std::string::npos;
    bool password = false;
    for (PQconninfoOption* o = options; o && o->keyword; ++o)
        if (std::strcmp(o->keyword, "password") == 0 && o->val && *o->val)
            password = true;
    PQconninfoFree(options);
    return password;
}

std::string SharedHistoryRefusal(const std::string& conninfo) {
    if (HoldsPassword(conninfo))
        return "The settings keep no password: give the connection without it, and put the "
               "password in ~/.pgpass (or PGPASSWORD), where the database library finds it.";
    char* error = nullptr;
    PQconninfoOption* parsed =
        conninfo.empty() ? nullptr : PQconninfoParse(conninfo.c_str(), &error);
    PQfreemem(error);
    const bool readable = conninfo.empty() || parsed;
    PQconninfoFree(parsed);
    if (!readable)
        return "That cannot be read as a PostgreSQL connection string: give "
               "postgresql://host/database or host=... dbname=...";
    if (!conninfo.empty() && !IsServerConnection(conninfo))
        return "'" + conninfo +
               "' is no PostgreSQL connection: give postgresql://host/database or host=... "
               "dbname=...";
    return "";
}

std::string ServerName(const std::string& conninfo) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
    PQfreemem(error);
    std::string host, db;
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (!o->val)
            continue;
        if (std::strcmp(o->keyword, "host") == 0)
            host = o->val;
        else if (std::strcmp(o->keyword, "dbname") == 0)
            db = o->val;
    }
    PQconninfoFree(options);
    if (host.empty())
        host = "localhost";
    return db.empty() ? host : host + "/" + db;
}

PostgresSession::~PostgresSession() {
    PQfinish(m_conn);
}

std::string PostgresSession::Failed(const std::string& what) {
    std::string message = m_conn ? PQerrorMessage(m_conn) : "no connection";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    if (const size_t line = message.find('\n'); line != std::string::npos)
        message = message.substr(0, line);
    m_unreachable = !m_conn || PQstatus(m_conn) != CONNECTION_OK;
    return m_name + ": " + (what.empty() ? "" : what + ": ") + message;
}

std::string PostgresSession::Open(const std::string& conninfo) {
    PQfinish(m_conn);
    m_name = ServerName(conninfo);
    m_refused = false;
    // The timeouts, unless the connection string says otherwise.
    // Ours first: what the connection string says comes later and wins.
    const char* keywords[] = {"connect_timeout", "options", "application_name",
                              "keepalives_idle", "dbname",  nullptr};
    const std::string timeout = std::to_string(kConnectTimeoutSeconds);
    // A writer that vanishes inside its transaction must not hold the chain's lock for long.
    const std::string options =
        "-c statement_timeout=" + std::to_string(kStatementTimeoutMs) +
        " -c lock_timeout=" + std::to_string(kStatementTimeoutMs) +
        " -c idle_in_transaction_session_timeout=" + std::to_string(kStatementTimeoutMs);
    const char* values[] = {timeout.c_str(),  options.c_str(), "tqx history", "10",
                            conninfo.c_str(), nullptr};
    m_conn = PQconnectdbParams(keywords, values, 1);
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        std::string why = Failed("");
        m_unreachable = true;
        // A refusal of the user or password is the server's answer, not its absence.
        if (why.find("authentication") != std::string::npos ||
            why.find("does not exist") != std::string::npos ||
            why.find("permission denied") != std::string::npos) {
            m_unreachable = false;
            m_refused = true;
        }
        return why;
    }
    m_unreachable = false;
    return "";
}

std::string PostgresSession::Run(const std::string& sql, const std::vector<SqlValue>& params,
                                 SqlRows* rows) {
    m_refused = false;
    if (!m_conn)
        return m_name + ": not connected";
    const std::string text = Numbered(sql);
    std::vector<std::string> texts(params.size());
    std::vector<const char*> values(params.size());
    std::vector<int> lengths(params.size()), formats(params.size());
    std::vector<Oid> types(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
        const SqlValue& v = params[i];
        switch (v.kind) {
        case SqlValue::Kind::Null:
            values[i] = nullptr;
            break;
        case SqlValue::Kind::Integer:
            texts[i] = std::to_string(v.integer);
            values[i] = texts[i].c_str();
            types[i] = kInt8;
            break;
        case SqlValue::Kind::Text:
            values[i] = v.text.c_str();
            break;
        case SqlValue::Kind::Blob:
            values[i] = reinterpret_cast<const char*>(v.blob.data());
            lengths[i] = static_cast<int>(v.blob.size());
            formats[i] = 1;
            types[i] = kBytea;
            break;
        }
    }
    PGresult* result =
        PQexecParams(m_conn, text.c_str(), static_cast<int>(params.size()), types.data(),
                     values.data(), lengths.data(), formats.data(), 1 /* binary results */);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        m_refused = state && std::strcmp(state, "42501") == 0; // insufficient privilege
        // A statement or lock that timed out: the server is as good as out of reach.
        const bool timedOut =
            state && (std::strcmp(state, "57014") == 0 || std::strcmp(state, "55P03") == 0);
        PQclear(result);
        std::string why = Failed(m_refused ? "the server refused" : "");
        if (timedOut)
            m_unreachable = true;
        return why;
    }
    if (rows) {
        const int columns = PQnfields(result);
        for (int r = 0; r < PQntuples(result); ++r) {
            std::vector<SqlValue> row(static_cast<size_t>(columns));
            for (int c = 0; c < columns; ++c) {
                if (PQgetisnull(result, r, c))
                    continue;
                const char* p = PQgetvalue(result, r, c);
                const int length = PQgetlength(result, r, c);
                SqlValue& v = row[static_cast<size_t>(c)];
                switch (PQftype(result, c)) {
                case kInt8:
                case kInt4:
                case kInt2:
                case kBool:
                    v = SqlValue(BigEndian(p, length));
                    break;
                case kBytea:
                    v = SqlValue(std::vector<uint8_t>(p, p + length));
                    break;
                default:
                    v = SqlValue(std::string(p, static_cast<size_t>(length)));
                    break;
                }
            }
            rows->emplace_back(std::move(row));
        }
    }
    PQclear(result);
    return "";
}

std::string PostgresSession::BeginWrite() {
    // The chain's head row, locked for the transaction: every writer on every PC waits
    // here for the one before, so the chain grows one link at a time.
    std::string why = Run("BEGIN");
    if (why.empty())
        why = Run("SELECT ref FROM chain_head WHERE one = 1 FOR UPDATE");
    if (!why.empty() && m_conn && PQtransactionStatus(m_conn) != PQTRANS_IDLE) {
        const bool refused = m_refused;
        Run("ROLLBACK");
        m_refused = refused;
    }
    return why;
}

std::string PostgresSession::Commit() {
    return Run("COMMIT");
}

void PostgresSession::Rollback() {
    Run("ROLLBACK");
}
