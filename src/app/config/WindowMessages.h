#pragma once
// The messages through which the sync thread and others ask the main window to act. The
// main window handles each on its own thread; a sender from another thread waits.

#include <QString>

namespace config {

enum class WindowMessage {
    RefreshListPane,   // rebuild the roots, refill the categories, refresh the files list
    RefreshAllViews,   // reload every open document from its file
    RefillUsers,       // refill the ribbon's user box
    ShowProgress,      // registered, not in use
    SetStatus,         // registered, not in use
    SetUserName,       // registered, not in use
    Autosave,          // the autosave handler, posted to try again later
    SwitchUser,        // switch to the user carried with the message
};

// The registered name ("WMU_REFRESH_LISTPANE", ...).
QString WindowMessageName(WindowMessage message);

}  // namespace config
