#pragma once

// A PostgreSQL server of the tests' own: made with initdb in a temporary folder, started
// with pg_ctl on a Unix socket there (no TCP port), trusted by the local user, and
// stopped when the test program ends. As root, it runs as the postgres user, which initdb
// asks for. Where no server can be started, Available() is false and Why() says why;
// TQX_REQUIRE_POSTGRES=1 (the README's test command sets it) makes that a failure rather
// than a skip.

#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class PrivatePostgres {
public:
    static PrivatePostgres& Shared() {
        static PrivatePostgres server;
        return server;
    }
    bool Available() const { return m_started; }
    const std::string& Why() const { return m_why; }
    static bool Required() {
        const char* required = std::getenv("TQX_REQUIRE_POSTGRES");
        return required && std::string(required) == "1";
    }

    // A connection string to a new, empty database of its own.
    std::string NewDatabase() {
        const std::string name = "h" + std::to_string(++m_databases);
        Psql("postgres", "CREATE DATABASE " + name);
        return Conninfo(name);
    }
    std::string Conninfo(const std::string& database, const std::string& user = "postgres") const {
        return "host=" + m_folder + " dbname=" + database + " user=" + user;
    }
    // Runs one statement as the superuser; true when it went through.
    bool Psql(const std::string& database, const std::string& sql) const {
        const std::string command = m_bin + "/psql -X -q -v ON_ERROR_STOP=1 \"" +
                                    Conninfo(database) + "\" -c \"" + sql + "\" >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }
    bool Stop() { return Ctl("stop -m fast"); }
    bool Start() { return Ctl("start -w -o \"-k " + m_folder + " -c listen_addresses=''\""); }

    ~PrivatePostgres() {
        if (m_started)
            Stop();
        if (!m_folder.empty())
            std::system(("rm -rf " + m_folder).c_str());
    }

private:
    PrivatePostgres() {
        glob_t found{};
        if (::glob("/usr/lib/postgresql/*/bin/initdb", 0, nullptr, &found) != 0 ||
            found.gl_pathc == 0) {
            m_why = "no PostgreSQL server is installed (Debian: postgresql)";
            globfree(&found);
            return;
        }
        m_bin = std::string(found.gl_pathv[found.gl_pathc - 1]);
        m_bin.resize(m_bin.size() - std::string("/initdb").size());
        globfree(&found);
        char folder[] = "/tmp/tqx-postgres-XXXXXX";
        if (!::mkdtemp(folder)) {
            m_why = "no temporary folder";
            return;
        }
        m_folder = folder;
        if (::geteuid() == 0) {
            m_as = "runuser -u postgres -- ";
            std::system(("chown postgres " + m_folder).c_str());
        }
        const std::string init = m_as + m_bin + "/initdb -A trust -U postgres -D " + m_folder +
                                 "/data >" + m_folder + "/initdb.log 2>&1";
        if (std::system(init.c_str()) != 0) {
            m_why = "initdb failed; see " + m_folder + "/initdb.log";
            return;
        }
        m_started = Start();
        if (!m_started)
            m_why = "pg_ctl could not start the server; see " + m_folder + "/server.log";
    }
    bool Ctl(const std::string& what) const {
        const std::string command = m_as + m_bin + "/pg_ctl -D " + m_folder + "/data -l " +
                                    m_folder + "/server.log " + what + " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }

    std::string m_bin, m_folder, m_as, m_why;
    bool m_started = false;
    int m_databases = 0;
};

// In a test: skips (or fails, where a server is required) when there is none.
#define TQX_NEED_POSTGRES()                                                                        \
    do {                                                                                           \
        if (!PrivatePostgres::Shared().Available()) {                                              \
            if (PrivatePostgres::Required())                                                       \
                FAIL() << PrivatePostgres::Shared().Why();                                         \
            GTEST_SKIP() << PrivatePostgres::Shared().Why();                                       \
        }                                                                                          \
    } while (0)
