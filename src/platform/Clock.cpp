#include "platform/Clock.h"

#include <atomic>
#include <chrono>

namespace platform {

namespace {
const Clock kSystemClock;
std::atomic<const Clock*> g_current{nullptr};
}  // namespace

uint32_t Clock::TickCountMs() const {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
}

QDateTime Clock::LocalNow() const { return QDateTime::currentDateTime(); }

const Clock& Clock::Current() {
    const Clock* c = g_current.load();
    return c ? *c : kSystemClock;
}

void Clock::SetCurrent(const Clock* clock) { g_current.store(clock); }

}  // namespace platform
