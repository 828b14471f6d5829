#include "sync/SyncPrefChoice.h"

#include "app/config/CAppSettings.h"
#include "app/config/ConfigTable.h"

namespace syncpref {

Selection InitialSelection(const CAppSettings& settings) {
    switch (config::GetSyncDefaultDirection(settings)) {
    case config::kSyncSynchronize: return {kNextSynchronize, kDefaultSynchronize};
    case config::kSyncDesktopOverwritesHandheld:
        return {kNextDesktopOverwritesHandheld, kDefaultDesktopOverwritesHandheld};
    case config::kSyncHandheldOverwritesDesktop:
        return {kNextHandheldOverwritesDesktop, kDefaultHandheldOverwritesDesktop};
    default: return {};
    }
}

void ApplySelection(CAppSettings& settings, const Selection& selection) {
    switch (selection.next) {
    case kNextSynchronize: config::SetSyncDirection(settings, config::kSyncSynchronize); break;
    case kNextDesktopOverwritesHandheld:
        config::SetSyncDirection(settings, config::kSyncDesktopOverwritesHandheld);
        break;
    case kNextHandheldOverwritesDesktop:
        config::SetSyncDirection(settings, config::kSyncHandheldOverwritesDesktop);
        break;
    default: break;
    }
    int32_t mode = config::kSyncSynchronize;
    if (selection.defaultMode == kDefaultHandheldOverwritesDesktop) mode = config::kSyncHandheldOverwritesDesktop;
    if (selection.defaultMode == kDefaultDesktopOverwritesHandheld) mode = config::kSyncDesktopOverwritesHandheld;
    config::SetSyncDefaultDirection(settings, mode);
}

}  // namespace syncpref
