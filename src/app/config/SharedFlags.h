#pragma once
// Two process-wide switches on how documents are saved. The sync thread flips them
// around its own saves while the UI thread reads them, so they are atomic.

namespace config {

// While set, saving all modified documents saves each one without asking. Off at start.
bool IsSilentSave();
void SetSilentSave(bool on);

// While cleared, a saved document does not refill the outline files list. On at start.
bool IsRefreshListAfterSave();
void SetRefreshListAfterSave(bool on);

// Sets a flag for the lifetime of the object and puts back the value it found.
class SilentSaveScope {
public:
    SilentSaveScope() : previous_(IsSilentSave()) { SetSilentSave(true); }
    ~SilentSaveScope() { SetSilentSave(previous_); }
    SilentSaveScope(const SilentSaveScope&) = delete;
    SilentSaveScope& operator=(const SilentSaveScope&) = delete;
private:
    bool previous_;
};

class NoListRefreshScope {
public:
    NoListRefreshScope() : previous_(IsRefreshListAfterSave()) { SetRefreshListAfterSave(false); }
    ~NoListRefreshScope() { SetRefreshListAfterSave(previous_); }
    NoListRefreshScope(const NoListRefreshScope&) = delete;
    NoListRefreshScope& operator=(const NoListRefreshScope&) = delete;
private:
    bool previous_;
};

}  // namespace config
