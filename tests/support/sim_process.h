#pragma once

// Starts tqx-sim for a test and stops it again.
//
//   SimProcess sim({"--tcp", "127.0.0.1:0"});          // or {"--pty", "/tmp/x", "--baud", "9600"}
//   ASSERT_TRUE(sim.Ready()) << sim.ReadyLine();
//   setenv("TQXCOMM_PORT1", sim.PortSetting().c_str(), 1);   // "tcp:127.0.0.1:PORT" or the pty
//   path
//
// The constructor forks and execs TQX_SIM_PATH (or `program`) with the arguments and waits
// up to 5 s for its ready line ("tqx-sim: listening on tcp HOST:PORT" or "tqx-sim: serving
// pty PATH ..."). The destructor sends SIGTERM and waits for the process (SIGKILL after 2 s).
// Lines the simulator prints later (--verbose) can be read with ReadLines().

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args, const std::string& program =
#ifdef TQX_SIM_PATH
                                                           TQX_SIM_PATH
#else
                                                           "tqx-sim"
#endif
    ) {
        int out[2];
        if (::pipe(out) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (std::string& a : args)
                argv.push_back(&a[0]);
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_out = out[0];
        if (m_pid < 0)
            return;
        m_readyLine = ReadLine(5000);
        const std::string tcp = "tqx-sim: listening on tcp ";
        const std::string pty = "tqx-sim: serving pty ";
        if (m_readyLine.compare(0, tcp.size(), tcp) == 0) {
            m_address = m_readyLine.substr(tcp.size());
            m_port = std::stoi(m_address.substr(m_address.rfind(':') + 1));
            m_setting = "tcp:" + m_address;
        } else if (m_readyLine.compare(0, pty.size(), pty) == 0) {
            m_address = m_readyLine.substr(pty.size());
            m_address = m_address.substr(0, m_address.find(' '));
            m_setting = m_address;
        }
    }

    ~SimProcess() {
        Stop();
        if (m_out >= 0)
            ::close(m_out);
    }

    // Ends the simulator (its --dump is written once this returns).
    void Stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            for (int i = 0; i < 200 && ::waitpid(m_pid, &status, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (::waitpid(m_pid, &status, WNOHANG) == 0) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
            }
            m_pid = -1;
        }
    }

    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    pid_t Pid() const {
        return m_pid;
    }
    bool Ready() const {
        return !m_setting.empty();
    }
    const std::string& ReadyLine() const {
        return m_readyLine;
    }
    int Port() const {
        return m_port;
    } // TCP only
    const std::string& Address() const {
        return m_address;
    } // "HOST:PORT" or pty path
    const std::string& PortSetting() const {
        return m_setting;
    } // value for TQXCOMM_PORT1

    // One line of the simulator's output, "" after `timeoutMs` without one.
    std::string ReadLine(int timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const size_t nl = m_buffer.find('\n');
            if (nl != std::string::npos) {
                std::string line = m_buffer.substr(0, nl);
                m_buffer.erase(0, nl + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  end - std::chrono::steady_clock::now())
                                  .count();
            pollfd p{m_out, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
                return "";
            char chunk[4096];
            const ssize_t n = ::read(m_out, chunk, sizeof chunk);
            if (n <= 0)
                return "";
            m_buffer.append(chunk, static_cast<size_t>(n));
        }
    }

    // Every line that arrives within `quietMs` of the previous one.
    std::vector<std::string> ReadLines(int quietMs = 200) {
        std::vector<std::string> lines;
        for (std::string line = ReadLine(quietMs); !line.empty(); line = ReadLine(quietMs))
            lines.push_back(line);
        return lines;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
    std::string m_readyLine;
    std::string m_address;
    std::string m_setting;
    int m_port = 0;
};
