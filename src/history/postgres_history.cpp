#include "history/postgres_history.h"

namespace {

const char* const kSchema[] = {
    "CREATE TABLE controllers ("
    " id BIGSERIAL PRIMARY KEY,"
    " port_key TEXT NOT NULL,"
    " unit BIGINT NOT NULL,"
    " model_code TEXT NOT NULL,"
    " port TEXT NOT NULL,"
    " label TEXT NOT NULL DEFAULT '',"
    " first_seen TEXT NOT NULL,"
    " last_seen TEXT NOT NULL,"
    " joined_into BIGINT REFERENCES controllers (id))",
    "CREATE INDEX controllers_by_key ON controllers (port_key, unit, model_code)",
    "CREATE TABLE contents ("
    " id BIGINT PRIMARY KEY,"
    " hash BIGINT NOT NULL,"
    " format BIGINT NOT NULL,"
    " bytes BYTEA NOT NULL)",
    "CREATE TABLE blocks ("
    " key BIGINT PRIMARY KEY,"
    " bytes BYTEA NOT NULL)",
    "CREATE TABLE origins ("
    " id BIGSERIAL PRIMARY KEY,"
    " os_user TEXT NOT NULL,"
    " host TEXT NOT NULL,"
    " program TEXT NOT NULL,"
    " UNIQUE (os_user, host, program))",
    "CREATE TABLE snapshots ("
    " id BIGINT PRIMARY KEY,"
    " controller_id BIGINT NOT NULL REFERENCES controllers (id),"
    " recorded_controller_id BIGINT NOT NULL REFERENCES controllers (id),"
    " taken BIGINT NOT NULL,"
    " origin_id BIGINT NOT NULL REFERENCES origins (id),"
    " what TEXT NOT NULL,"
    " groups BIGINT NOT NULL,"
    " sent_group BIGINT,"
    " verified BIGINT NOT NULL DEFAULT 0,"
    " detail TEXT NOT NULL DEFAULT '',"
    " note TEXT NOT NULL DEFAULT '',"
    " content_id BIGINT REFERENCES contents (id),"
    " base_id BIGINT,"
    " depth BIGINT NOT NULL DEFAULT 0,"
    " blocks BYTEA,"
    " prev_ref BIGINT NOT NULL,"
    " hash BYTEA NOT NULL,"
    " uid TEXT,"
    " arrival TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX snapshots_by_uid ON snapshots (uid) WHERE uid IS NOT NULL",
    "CREATE INDEX snapshots_by_controller ON snapshots (controller_id, id)",
    "CREATE INDEX snapshots_by_time ON snapshots (taken)",
    "CREATE TABLE events ("
    " id BIGINT PRIMARY KEY,"
    " kind TEXT NOT NULL,"
    " snapshot_id BIGINT NOT NULL DEFAULT 0,"
    " controller_id BIGINT NOT NULL DEFAULT 0,"
    " other_id BIGINT NOT NULL DEFAULT 0,"
    " text TEXT NOT NULL DEFAULT '',"
    " taken BIGINT NOT NULL,"
    " origin_id BIGINT NOT NULL REFERENCES origins (id),"
    " prev_ref BIGINT NOT NULL,"
    " hash BYTEA NOT NULL)",
    "CREATE TABLE chain_head ("
    " one BIGINT PRIMARY KEY CHECK (one = 1),"
    " ref BIGINT NOT NULL,"
    " hash BYTEA NOT NULL)",
    "INSERT INTO chain_head (one, ref, hash) VALUES (1, 0, decode(repeat('00', 32), 'hex'))",
    "CREATE TABLE schema_version (version BIGINT NOT NULL)",
};

// Whether the schema is there, read from the catalog as a table (a fresh view of it in
// each statement: a lookup by name may answer from a cache older than another's commit).
const char kSchemaMade[] = "SELECT COUNT(*) FROM pg_catalog.pg_tables"
                           " WHERE schemaname = current_schema() AND tablename = 'schema_version'";

} // namespace

std::string PostgresHistory::Open(const std::string& conninfo) {
    m_conninfo = conninfo;
    m_readOnly.clear();
    m_blockCache.clear();
    m_digestCache.clear();
    m_lastSet = {0, {}};
    if (std::string why = m_server.Open(conninfo); !why.empty())
        return why;
    SqlRows rows;
    if (std::string why = m_server.Run(kSchemaMade, {}, &rows); !why.empty())
        return why;
    if (rows.empty() || rows[0].Int(0) == 0) {
        if (std::string why = MakeSchema(); !why.empty())
            return why;
    }
    rows.clear();
    if (std::string why = m_server.Run("SELECT MAX(version) FROM schema_version", {}, &rows);
        !why.empty())
        return why;
    const int64_t schema = rows.empty() ? 0 : rows[0].Int(0);
    if (schema > kSchemaVersion)
        m_readOnly = m_server.Name() + " was written by a newer version (history schema " +
                     std::to_string(schema) + "); this version only reads it";
    else if (schema < kSchemaVersion)
        return m_server.Name() + " holds a history of schema " + std::to_string(schema) +
               ", which this version does not read";
    return "";
}

std::string PostgresHistory::MakeSchema() {
    // Two programs making it at once: the second waits for the first, then finds it made.
    if (std::string why = m_server.Run("BEGIN"); !why.empty())
        return why;
    SqlRows rows;
    std::string why = m_server.Run("SELECT pg_advisory_xact_lock(7460115)");
    if (why.empty())
        why = m_server.Run(kSchemaMade, {}, &rows);
    if (why.empty() && !rows.empty() && rows[0].Int(0) != 0)
        return m_server.Commit();
    for (const char* sql : kSchema)
        if (why.empty())
            why = m_server.Run(sql);
    if (why.empty())
        why = m_server.Run("INSERT INTO schema_version (version) VALUES (?1)", {kSchemaVersion});
    if (why.empty())
        return m_server.Commit();
    m_server.Rollback();
    return why;
}
