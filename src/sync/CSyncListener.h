#pragma once
// The listener thread: accepts one handheld connection at a time on an IPv4 TCP port
// (5000 unless told otherwise) and runs the session on it to its end before accepting
// the next; a second handheld waits in the listen queue meanwhile.

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class CSyncTransport;

class CSyncListener {
public:
    static constexpr std::uint16_t kDefaultPort = 5000;
    using Session = std::function<void()>;

    // transport and session must outlive the listener; session runs on its thread.
    CSyncListener(CSyncTransport& transport, Session session);
    ~CSyncListener();
    CSyncListener(const CSyncListener&) = delete;
    CSyncListener& operator=(const CSyncListener&) = delete;

    // Binds to all interfaces on port (0: the system picks one, see Port()) and starts
    // the thread. false when binding or listening fails: no sync is possible then.
    bool Start(std::uint16_t port = kDefaultPort);
    // Sets the stop flag, cuts a running session's connection so it fails at once, and
    // waits for the thread. The accept wait wakes within a fraction of a second.
    void Stop();
    // Sets the stop flag only; the thread ends after its current session.
    void RequestStop() { stopFlag_ = 1; }

    bool IsRunning() const { return thread_.joinable(); }
    std::uint16_t Port() const { return port_; }
    int SessionsServed() const { return served_; }

private:
    void Loop();

    CSyncTransport& transport_;
    Session session_;
    std::thread thread_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<int> stopFlag_{0};
    std::atomic<int> served_{0};
};
