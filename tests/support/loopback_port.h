#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A loopback TCP port: listening (the kernel accepts, nobody answers) or closed again, so
// that a connect to it is refused. `fd` holds the listening socket, or -1.
inline int LoopbackPort(bool keepListening, int& fd) {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd, 4);
    socklen_t length = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    if (!keepListening) {
        ::close(fd);
        fd = -1;
    }
    return ntohs(a.sin_port);
}
