#pragma once
// The yardstick of the sync benchmarks: a bare stop-and-wait exchange of 4096-byte chunks
// with a 2-byte acknowledgement each over loopback, the least any file transfer costs.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Sockets.h"

namespace syncbench {

constexpr long kBarePayload = 16L * 1024 * 1024;

// Two connected loopback TCP sockets.
inline std::pair<int, int> LoopbackPair() {
    const int listenFd = platform::OpenListeningSocket(0);
    const std::uint16_t port = platform::ListeningPort(listenFd);
    int client = -1;
    std::thread connector([&] { client = platform::ConnectTo("127.0.0.1", port); });
    platform::SocketWait wait;
    const platform::AcceptedPeer server = platform::AcceptConnection(listenFd, 5000, &wait);
    connector.join();
    platform::CloseSocket(listenFd);
    return {server.fd, client};
}

// A loopback link whose far end acknowledges every 4096-byte chunk with 2 bytes.
class BareLink {
public:
    BareLink() {
        auto [a, b] = LoopbackPair();
        sender_ = a;
        receiverFd_ = b;
        receiver_ = std::thread([fd = b] {
            std::vector<char> in(4096);
            for (;;) {
                long have = 0;
                while (have < 4096) {
                    const long n = platform::ReceiveSome(fd, in.data() + have, std::size_t(4096 - have), 10000);
                    if (n <= 0) return;
                    have += n;
                }
                if (platform::SendAll(fd, "OK", 2) != 2) return;
            }
        });
    }
    ~BareLink() {
        platform::ShutdownSocket(sender_);
        receiver_.join();
        platform::CloseSocket(sender_);
        platform::CloseSocket(receiverFd_);
    }
    BareLink(const BareLink&) = delete;
    BareLink& operator=(const BareLink&) = delete;

    // Sends bytes (rounded up to whole chunks); returns the seconds it took.
    double Exchange(long bytes) {
        const auto start = std::chrono::steady_clock::now();
        for (long sent = 0; sent < bytes; sent += 4096) {
            platform::SendAll(sender_, chunk_.data(), chunk_.size());
            char ack[3];
            platform::ReceiveSome(sender_, ack, 2, 10000);
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

private:
    int sender_ = -1;
    int receiverFd_ = -1;
    std::thread receiver_;
    std::vector<char> chunk_ = std::vector<char>(4096, 'x');
};

inline void BareChunkExchange(benchmark::State& state) {
    BareLink link;
    for (auto _ : state) link.Exchange(kBarePayload);
    state.SetBytesProcessed(state.iterations() * kBarePayload);
}

}  // namespace syncbench
