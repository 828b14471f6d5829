#pragma once
// One DNS Service Discovery registration, through the platform's DNS-SD client library
// (Avahi's compatibility layer here). The library header stays inside DnsSd.cpp so no
// other layer needs its include folder.

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

class ServiceRegistration;
void DeliverRegistrationReply(void* registration, int errorCode);

class ServiceRegistration {
public:
    // The library's error code for a name that another host already uses.
    static constexpr int kNameConflict = -65548;
    // Called with the library's error code (0 on success) on the thread that waits.
    using ReplyHandler = std::function<void(int errorCode)>;

    ServiceRegistration() = default;
    ~ServiceRegistration() { Withdraw(); }
    ServiceRegistration(const ServiceRegistration&) = delete;
    ServiceRegistration& operator=(const ServiceRegistration&) = delete;

    // Registers type on all interfaces for port (host byte order) with no text record
    // and this computer as host. An empty name lets the library use the computer's name
    // and an empty domain means the default one (both travel as null pointers: Avahi
    // turns an empty name down). Returns the library's error code; 0 means registered.
    // Fails at once when no discovery daemon runs.
    int Register(const std::string& name, const std::string& type, const std::string& domain,
                 std::uint16_t port, ReplyHandler onReply);
    // Delivers the daemon's replies on this thread until the first one has reached the
    // handler or timeoutMs has passed; true when a reply was delivered. A single
    // delivery call of the library may only move internal state along, hence the loop.
    bool WaitForReply(int timeoutMs);
    // Withdraws the service; harmless when nothing is registered.
    void Withdraw();
    bool IsRegistered() const { return ref_ != nullptr; }

private:
    // The library's C callback hands the reply on through this.
    friend void DeliverRegistrationReply(void* registration, int errorCode);

    void* ref_ = nullptr;  // DNSServiceRef
    ReplyHandler onReply_;
    bool replied_ = false;
};

}  // namespace platform
