#pragma once
// The yardstick of the sync benchmarks: a bare stop-and-wait exchange of 4096-byte chunks
// with a 2-byte acknowledgement each over loopback, the least any file transfer costs.

#include <benchmark/benchmark.h>

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

inline void BareChunkExchange(benchmark::State& state) {
    auto [a, b] = LoopbackPair();
    std::vector<char> chunk(4096, 'x');
    std::thread receiver([fd = b] {
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
    for (auto _ : state) {
        for (long sent = 0; sent < kBarePayload; sent += 4096) {
            platform::SendAll(a, chunk.data(), chunk.size());
            char ack[3];
            platform::ReceiveSome(a, ack, 2, 10000);
        }
    }
    platform::ShutdownSocket(a);
    receiver.join();
    platform::CloseSocket(a);
    platform::CloseSocket(b);
    state.SetBytesProcessed(state.iterations() * kBarePayload);
}

}  // namespace syncbench
