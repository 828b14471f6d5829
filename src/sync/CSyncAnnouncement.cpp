#include "sync/CSyncAnnouncement.h"

#include "sync/ISyncHost.h"
#include "sync/SyncTexts.h"

bool CSyncAnnouncement::Announce(std::uint16_t port) {
    ISyncHost& host = host_;
    const int error = registration_.Register({}, kServiceType, {}, port,
                                             [&host](int code) { HandleReply(code, host); });
    if (error != 0) return false;
    replied_ = registration_.WaitForReply(kReplyWaitMs);
    return true;
}

void CSyncAnnouncement::HandleReply(int errorCode, ISyncHost& host) {
    if (errorCode == 0) return;
    host.ShowMessage(errorCode == platform::ServiceRegistration::kNameConflict ? synctext::kNameInUse
                                                                                : synctext::kRegistrationFailed,
                     synctext::kRegistrationCaption);
}
