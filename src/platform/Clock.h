#pragma once
// The tick count and the local time, behind one replaceable source so that tests can
// fix both.

#include <cstdint>

#include <QDateTime>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds of a monotonic clock (the low 32 bits, as a tick count wraps).
    virtual uint32_t TickCountMs() const;
    // The current local date and time.
    virtual QDateTime LocalNow() const;

    // The clock in use: the system's, unless a test installed another.
    static const Clock& Current();
    // Installs clock (not owned; it must outlive its use); null restores the system's.
    static void SetCurrent(const Clock* clock);
};

}  // namespace platform
