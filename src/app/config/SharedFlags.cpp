#include "app/config/SharedFlags.h"

#include <atomic>

namespace config {

namespace {
std::atomic<bool> g_silentSave{false};
std::atomic<bool> g_refreshListAfterSave{true};
}  // namespace

bool IsSilentSave() { return g_silentSave.load(); }
void SetSilentSave(bool on) { g_silentSave.store(on); }
bool IsRefreshListAfterSave() { return g_refreshListAfterSave.load(); }
void SetRefreshListAfterSave(bool on) { g_refreshListAfterSave.store(on); }

}  // namespace config
