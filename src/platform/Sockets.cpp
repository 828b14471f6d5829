#include "platform/Sockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace platform {

namespace {

SocketWait WaitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, timeoutMs);
        if (n > 0) return (p.revents & (events | POLLHUP | POLLERR)) ? SocketWait::Ready : SocketWait::Failed;
        if (n == 0) return SocketWait::TimedOut;
        if (errno != EINTR) return SocketWait::Failed;
    }
}

}  // namespace

int OpenListeningSocket(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

std::uint16_t ListeningPort(int fd) {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
    return ntohs(addr.sin_port);
}

AcceptedPeer AcceptConnection(int listenFd, int timeoutMs, SocketWait* wait) {
    AcceptedPeer peer;
    SocketWait w = WaitFor(listenFd, POLLIN, timeoutMs);
    if (w == SocketWait::Ready) {
        sockaddr_in addr{};
        socklen_t len = sizeof addr;
        peer.fd = ::accept4(listenFd, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_CLOEXEC);
        if (peer.fd >= 0) {
            SetNoDelay(peer.fd);
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text);
            peer.address = text;
            peer.port = addr.sin_port;
        } else {
            w = SocketWait::Failed;
        }
    }
    if (wait) *wait = w;
    return peer;
}

int ConnectTo(const std::string& host, std::uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found) return -1;
    int fd = -1;
    for (addrinfo* a = found; a; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) break;
        ::close(fd);
        fd = -1;
    }
    ::freeaddrinfo(found);
    if (fd >= 0) SetNoDelay(fd);
    return fd;
}

SocketWait WaitReadable(int fd, int timeoutMs) { return WaitFor(fd, POLLIN, timeoutMs); }

long ReceiveSome(int fd, void* buffer, std::size_t size, int timeoutMs, bool* timedOut) {
    if (timedOut) *timedOut = false;
    const SocketWait w = WaitFor(fd, POLLIN, timeoutMs);
    if (w != SocketWait::Ready) {
        if (timedOut) *timedOut = (w == SocketWait::TimedOut);
        return -1;
    }
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, size, 0);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

bool SetReceiveTimeout(int fd, int timeoutMs) {
    timeval tv{};
    tv.tv_sec = timeoutMs / 1000;
    tv.tv_usec = (timeoutMs % 1000) * 1000;
    return ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0;
}

long ReceiveWithSocketTimeout(int fd, void* buffer, std::size_t size, bool* timedOut) {
    if (timedOut) *timedOut = false;
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, size, 0);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        if (timedOut) *timedOut = (errno == EAGAIN || errno == EWOULDBLOCK);
        return -1;
    }
}

long SendAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    std::size_t left = size;
    while (left > 0) {
        const ssize_t n = ::send(fd, p, left, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return static_cast<long>(size);
}

void SetNoDelay(int fd) {
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void ShutdownSocket(int fd) {
    if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

void CloseSocket(int fd) {
    if (fd >= 0) ::close(fd);
}

}  // namespace platform
