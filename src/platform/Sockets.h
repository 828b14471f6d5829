#pragma once
// Thin POSIX socket helpers for the handheld sync link: IPv4 TCP, blocking calls with
// poll-based time-outs so no caller ever hangs on a silent peer or a stopped listener.
// Every function reports failure through its return value and never throws.

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Outcome of a wait on a socket.
enum class SocketWait { Ready, TimedOut, Failed };

// A listening IPv4 stream socket bound to all interfaces (INADDR_ANY) with SO_REUSEADDR,
// so a restarted program can bind the same port at once. port 0 lets the system choose;
// ListeningPort tells which. Returns the descriptor, or -1 (errno kept) on failure.
int OpenListeningSocket(std::uint16_t port);
// The local port of a bound socket, or 0 when it cannot be read.
std::uint16_t ListeningPort(int fd);

// Waits up to timeoutMs for a connection and accepts it. Returns the new descriptor
// (TCP_NODELAY set, so each small message leaves at once), or -1 with *wait saying why.
struct AcceptedPeer {
    int fd = -1;
    std::string address;       // dotted-decimal IPv4 text
    std::uint16_t port = 0;    // as in the accepted address: network byte order
};
AcceptedPeer AcceptConnection(int listenFd, int timeoutMs, SocketWait* wait);

// Connects to host:port (numeric IPv4 or a name the resolver knows), TCP_NODELAY set.
// Returns the descriptor or -1.
int ConnectTo(const std::string& host, std::uint16_t port);

// Waits until fd is readable (data, end of stream or error).
SocketWait WaitReadable(int fd, int timeoutMs);

// One receive of at most size bytes after waiting up to timeoutMs. Returns the bytes
// received (> 0), 0 when the peer closed, -1 on error or time-out (*timedOut tells).
long ReceiveSome(int fd, void* buffer, std::size_t size, int timeoutMs, bool* timedOut = nullptr);

// The socket's own receive time-out (SO_RCVTIMEO), for links that receive often: a
// blocking receive then needs no poll before it. false when it cannot be set.
bool SetReceiveTimeout(int fd, int timeoutMs);
// One blocking receive bounded by the socket's time-out: bytes (> 0), 0 when the peer
// closed, -1 on error or time-out (*timedOut tells).
long ReceiveWithSocketTimeout(int fd, void* buffer, std::size_t size, bool* timedOut = nullptr);

// Sends all size bytes (looping over partial sends, never raising SIGPIPE). Returns the
// count sent, which is size on success, or -1.
long SendAll(int fd, const void* data, std::size_t size);

void SetNoDelay(int fd);
// Shuts down both directions; safe on a descriptor another thread is blocked on.
void ShutdownSocket(int fd);
void CloseSocket(int fd);

}  // namespace platform
