#pragma once

#include <string>

// The numeric address of `host` for `service`, looked up for at most `timeoutMs`.
// getaddrinfo has no timeout of its own and a dead name server holds it for seconds, so it
// runs on a thread of its own; a look-up that takes longer goes on in the background and
// its answer is dropped. Empty on failure, with the reason in `reason`.
std::string LookUpHost(const std::string& host, const std::string& service, int timeoutMs,
                       std::string& reason);
