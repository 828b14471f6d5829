#pragma once
// The desktop's DNS-SD announcement of its sync listener, so the handheld app can list
// this computer. Registered once at start-up and withdrawn on destruction.

#include <cstdint>

#include "platform/DnsSd.h"

class ISyncHost;

class CSyncAnnouncement {
public:
    static constexpr const char* kServiceType = "_NotesSync._tcp.";
    // How long start-up waits for the daemon's first answer before going on.
    static constexpr int kReplyWaitMs = 5000;

    // host receives the reply messages; it must outlive this object.
    explicit CSyncAnnouncement(ISyncHost& host) : host_(host) {}

    // Registers the service for port under the computer's own name in the default
    // domain, then waits for the first reply and hands it to HandleReply. true when
    // the registration call succeeded. No daemon: false, and nothing is shown.
    bool Announce(std::uint16_t port = 5000);
    void Withdraw() { registration_.Withdraw(); }
    bool IsAnnounced() const { return registration_.IsRegistered(); }
    // Whether the daemon's first reply arrived within the wait of Announce.
    bool ReplyReceived() const { return replied_; }

    // The messages of the daemon's reply: nothing on success, a name-conflict message,
    // or a general error message.
    static void HandleReply(int errorCode, ISyncHost& host);

private:
    ISyncHost& host_;
    platform::ServiceRegistration registration_;
    bool replied_ = false;
};
