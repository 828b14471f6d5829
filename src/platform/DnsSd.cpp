#include "platform/DnsSd.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <poll.h>

#include <dns_sd.h>

namespace platform {

namespace {

void DNSSD_API RegisterReply(DNSServiceRef, DNSServiceFlags, DNSServiceErrorType errorCode, const char*,
                             const char*, const char*, void* context) {
    DeliverRegistrationReply(context, errorCode);
}

}  // namespace

int ServiceRegistration::Register(const std::string& name, const std::string& type, const std::string& domain,
                                  std::uint16_t port, ReplyHandler onReply) {
    Withdraw();
    onReply_ = std::move(onReply);
    replied_ = false;
    // Avahi's compatibility layer prints a warning for every process that uses it; the
    // user of a home server would read it in every log.
    setenv("AVAHI_COMPAT_NOWARN", "1", 0);
    DNSServiceRef ref = nullptr;
    const DNSServiceErrorType error =
        DNSServiceRegister(&ref, 0, 0, name.empty() ? nullptr : name.c_str(), type.c_str(),
                           domain.empty() ? nullptr : domain.c_str(), nullptr, htons(port), 0, nullptr,
                           RegisterReply, this);
    if (error != kDNSServiceErr_NoError) {
        if (ref) DNSServiceRefDeallocate(ref);
        return error;
    }
    ref_ = ref;
    return 0;
}

bool ServiceRegistration::WaitForReply(int timeoutMs) {
    if (!ref_) return false;
    auto ref = static_cast<DNSServiceRef>(ref_);
    const int fd = DNSServiceRefSockFD(ref);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!replied_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        if (fd >= 0) {
            pollfd p{fd, POLLIN, 0};
            const int n = ::poll(&p, 1, static_cast<int>(left));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
        }
        if (DNSServiceProcessResult(ref) != kDNSServiceErr_NoError) return replied_;
    }
    return true;
}

void ServiceRegistration::Withdraw() {
    if (ref_) {
        DNSServiceRefDeallocate(static_cast<DNSServiceRef>(ref_));
        ref_ = nullptr;
    }
}

void DeliverRegistrationReply(void* registration, int errorCode) {
    auto* self = static_cast<ServiceRegistration*>(registration);
    self->replied_ = true;
    if (self->onReply_) self->onReply_(errorCode);
}

}  // namespace platform
