// The listener over real loopback TCP: one session at a time, the peer table, restart
// on the same port, and a stop that never hangs.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/Sockets.h"
#include "sync/CSyncListener.h"
#include "sync/CSyncTransport.h"

namespace {

// A session that answers one word and records the socket it ran on.
struct EchoSession {
    explicit EchoSession(CSyncTransport& t) : transport(t) {}
    CSyncTransport& transport;
    std::atomic<int> runs{0};
    std::vector<int> sockets;
    void operator()() {
        sockets.push_back(transport.CurrentPeer() ? transport.CurrentPeer()->socket : -1);
        const QByteArray word = transport.ReceiveReply(CSyncTransport::kReplyCapacity);
        transport.SendCommand(word.isEmpty() ? QByteArray("none") : "got " + word);
        ++runs;
    }
};

QByteArray Exchange(std::uint16_t port, const char* word) {
    const int fd = platform::ConnectTo("127.0.0.1", port);
    if (fd < 0) return "<no connection>";
    CSyncTransport client;
    client.SetTimeout(5000);
    client.AttachConnection(fd, "desk");
    client.SendCommand(word);
    return client.ReceiveReply(CSyncTransport::kReplyCapacity);
}

TEST(CSyncListener, ServesConnectionsInTurnAndReusesThePeerEntry) {
    CSyncTransport transport;
    transport.SetTimeout(5000);
    EchoSession session{transport};
    CSyncListener listener(transport, [&] { session(); });
    ASSERT_TRUE(listener.Start(0));
    ASSERT_NE(listener.Port(), 0);

    EXPECT_EQ(Exchange(listener.Port(), "one"), "got one");
    EXPECT_EQ(Exchange(listener.Port(), "two"), "got two");
    listener.Stop();

    EXPECT_EQ(session.runs, 2);
    ASSERT_EQ(transport.Peers().size(), 1u) << "both connections came from 127.0.0.1";
    EXPECT_EQ(transport.Peers()[0]->address, "127.0.0.1");
    EXPECT_FALSE(transport.HasConnection()) << "a finished session's socket is released";
}

TEST(CSyncListener, PortCanBeBoundAgainRightAfterAStop) {
    CSyncTransport transport;
    CSyncListener first(transport, [&] { transport.SendCommand("hi"); transport.ReceiveReply(3); });
    ASSERT_TRUE(first.Start(0));
    const std::uint16_t port = first.Port();
    EXPECT_EQ(Exchange(port, "OK"), "hi");  // leaves a connection in TIME_WAIT
    first.Stop();

    CSyncListener second(transport, [] {});
    EXPECT_TRUE(second.Start(port));
}

TEST(CSyncListener, BindFailureIsReported) {
    CSyncTransport transport;
    CSyncListener first(transport, [] {});
    ASSERT_TRUE(first.Start(0));
    CSyncListener second(transport, [] {});
    EXPECT_FALSE(second.Start(first.Port()));
    EXPECT_FALSE(second.IsRunning());
}

TEST(CSyncListener, StopEndsASessionBlockedOnASilentHandheld) {
    CSyncTransport transport;  // default time-out: a minute
    std::atomic<bool> sessionStarted{false};
    std::atomic<bool> sawFailure{false};
    CSyncListener listener(transport, [&] {
        sessionStarted = true;
        transport.ReceiveReply(CSyncTransport::kReplyCapacity);
        sawFailure = transport.ConnectionFailed();
    });
    ASSERT_TRUE(listener.Start(0));
    const int fd = platform::ConnectTo("127.0.0.1", listener.Port());
    ASSERT_GE(fd, 0);
    while (!sessionStarted) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    listener.Stop();  // would take the whole time-out if it did not cut the connection
    EXPECT_TRUE(sawFailure);
    platform::CloseSocket(fd);
}

TEST(CSyncListener, StopWhileIdleReturns) {
    CSyncTransport transport;
    CSyncListener listener(transport, [] {});
    ASSERT_TRUE(listener.Start(0));
    listener.Stop();
    EXPECT_FALSE(listener.IsRunning());
    EXPECT_EQ(listener.SessionsServed(), 0);
}

}  // namespace
