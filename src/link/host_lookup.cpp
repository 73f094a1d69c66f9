#include "link/host_lookup.h"

#include <netdb.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

std::string LookUpHost(const std::string& host, const std::string& service, int timeoutMs,
                       std::string& reason) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // Shared with the thread, which may outlive this call.
    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        int rc = 0;
        std::string address;
    };
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, service, hints] {
        addrinfo* found = nullptr;
        const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        char text[NI_MAXHOST] = "";
        if (rc == 0 && found)
            getnameinfo(found->ai_addr, found->ai_addrlen, text, sizeof text, nullptr, 0,
                        NI_NUMERICHOST);
        if (found)
            freeaddrinfo(found);
        std::lock_guard<std::mutex> lock(lookup->mutex);
        lookup->rc = rc;
        lookup->address = text;
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return lookup->finished; })) {
        reason = "no reply within " + std::to_string(timeoutMs) + " ms";
        return {};
    }
    if (lookup->rc != 0 || lookup->address.empty()) {
        reason = gai_strerror(lookup->rc);
        return {};
    }
    return lookup->address;
}
