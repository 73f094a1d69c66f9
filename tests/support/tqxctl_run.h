#pragma once

// Runs tqxctl (TQXCTL_PATH) as a process for a test: its exit status and its stdout and
// stderr together. `prefix` goes before the program on the shell's command line, to run it
// as another user ("setpriv --reuid=nobody ... ").

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

struct TqxctlResult {
    int status = -1;
    std::string out;
};

// Any shell command line, the same way.
inline TqxctlResult RunShell(const std::string& command) {
    TqxctlResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline TqxctlResult Tqxctl(const std::string& args, const std::string& prefix = "") {
    return RunShell(prefix + TQXCTL_PATH + " " + args);
}
