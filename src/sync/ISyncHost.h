#pragma once
// Everything the sync reaches outside itself on the user-interface side. The program
// implements it on the UI thread (each call returns only when the work is done, as a
// blocking queued call does); tests implement it directly. Calls come from the
// listener thread, or from the caller's thread for the announcement.

#include <QString>

class CUserItem;

class ISyncHost {
public:
    virtual ~ISyncHost() = default;

    // A modal message box with an OK button and no owner window.
    virtual void ShowMessage(const QString& text, const QString& caption) = 0;

    // The user whose data folder the library shows now, or null before the first user
    // exists; and that data folder ("" when there is none). Read by the session on the
    // listener thread.
    virtual CUserItem* CurrentUser() const { return nullptr; }
    virtual QString DataFolder() const { return {}; }

    // Whether the main window exists yet (it does not during the first start's wizard).
    virtual bool HasMainWindow() const { return false; }
    // Makes user current and waits until the switch is done.
    virtual void SwitchUser(CUserItem* user) { (void)user; }
    // Refills the user box after a user was added.
    virtual void RefillUsers() {}
    virtual void RefreshListPane() {}
    virtual void RefreshAllViews() {}
    // Saves every modified open document without asking.
    virtual void SaveModifiedDocuments() {}

    // The progress window: shown at the start of a session, closed at its end.
    virtual void ShowProgress() {}
    virtual void CloseProgress() {}
    virtual void SetStatus(const QString& text) { (void)text; }
    virtual void SetMode(const QString& text) { (void)text; }
    // Title "Sync is in progress with the user :" + quoted device name.
    virtual void SetUserTitle(const QString& deviceName) { (void)deviceName; }

    // The setup wizard's hooks after a first Handheld-overwrites-Desktop sync.
    virtual void OnUserCreated() {}
    virtual void SetFinishText(CUserItem* user) { (void)user; }
};
