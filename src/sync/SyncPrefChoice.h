#pragma once
// What the sync preference dialog shows and stores, without the dialog: the two groups of
// radio buttons (the mode of the next sync, and the mode every sync returns to) by their
// control ids, read from and written to "SyncDirection" and "SyncDefaultDirection".

#include <cstdint>

class CAppSettings;

namespace syncpref {

enum RadioId : int {
    kNone = 0,
    kNextSynchronize = 1171,
    kNextDesktopOverwritesHandheld = 1172,
    kNextHandheldOverwritesDesktop = 1173,
    kDefaultSynchronize = 1209,
    kDefaultHandheldOverwritesDesktop = 1210,
    kDefaultDesktopOverwritesHandheld = 1211,
};

struct Selection {
    int next = kNone;          // one of 1171..1173, or kNone
    int defaultMode = kNone;   // one of 1209..1211, or kNone
    bool operator==(const Selection&) const = default;
};

// Both groups start at "SyncDefaultDirection" (whatever "SyncDirection" holds); a stored
// value other than 0, 1 or 2 selects nothing.
Selection InitialSelection(const CAppSettings& settings);

// OK: writes "SyncDirection" from the first group (nothing when none is selected) and
// "SyncDefaultDirection" from the second (0 when none is selected).
void ApplySelection(CAppSettings& settings, const Selection& selection);

}  // namespace syncpref
