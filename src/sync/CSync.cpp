#include "sync/CSync.h"

void CSync::Run() {
    ClearWorkFolders();
    ShowProgress();
    PauseForProgress(100);
    if (Prepare()) {
        switch (GetSyncDirection()) {
        case 0: Synchronize(); break;
        case 1: SyncDesktopOverwritesHandheld(); break;
        case 2: SyncHandheldOverwritesDesktop(); break;
        default: break;  // a mode this program does not know: nothing is exchanged
        }
    }
    ClearWorkFolders();
    NotifyViews();
    CloseProgress();
}
