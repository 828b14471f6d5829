#include "sync/CSyncListener.h"

#include <chrono>

#include "platform/Sockets.h"
#include "sync/CSyncTransport.h"

namespace {
// How often a quiet accept wait looks at the stop flag.
constexpr int kAcceptPollMs = 200;
}

CSyncListener::CSyncListener(CSyncTransport& transport, Session session)
    : transport_(transport), session_(std::move(session)) {}

CSyncListener::~CSyncListener() { Stop(); }

bool CSyncListener::Start(std::uint16_t port) {
    if (thread_.joinable()) return true;
    listenFd_ = platform::OpenListeningSocket(port);
    if (listenFd_ < 0) return false;
    port_ = platform::ListeningPort(listenFd_);
    stopFlag_ = 0;
    thread_ = std::thread([this] { Loop(); });
    return true;
}

void CSyncListener::Stop() {
    stopFlag_ = 1;
    transport_.Interrupt();
    if (thread_.joinable()) thread_.join();
    if (listenFd_ >= 0) {
        platform::CloseSocket(listenFd_);
        listenFd_ = -1;
    }
}

void CSyncListener::Loop() {
    while (stopFlag_ != 1) {
        platform::SocketWait wait;
        platform::AcceptedPeer peer = platform::AcceptConnection(listenFd_, kAcceptPollMs, &wait);
        if (peer.fd < 0) {
            // A failing accept (out of descriptors, say) must not spin the processor.
            if (wait == platform::SocketWait::Failed) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        if (stopFlag_ == 1) {
            platform::CloseSocket(peer.fd);
            break;
        }
        transport_.AttachConnection(peer.fd, peer.address, peer.port);
        if (session_) session_();
        ++served_;
        // The protocol leaves the desktop's end open after two of the modes; release it
        // here so no descriptor outlives its session.
        transport_.ReleaseConnection();
    }
}
