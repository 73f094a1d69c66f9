#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

// tqxctl run as a process: its exit status and what it printed, stdout and stderr
// together.
struct TqxctlResult {
    int status = -1;
    std::string out;
};

inline TqxctlResult RunTqxctl(const std::string& args) {
    TqxctlResult result;
    const std::string command = std::string(TQXCTL_PATH) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
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
