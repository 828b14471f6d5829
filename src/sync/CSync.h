#pragma once
// One sync session from start to end, as a fixed order of steps: clean up, show the
// progress, learn the handheld and its user, back up, run the mode, clean up, refresh the
// views, close the progress. The steps themselves belong to the class that knows the
// data folder (COrvelleSync); this class only fixes their order.

class CSync {
public:
    virtual ~CSync() = default;

    virtual bool BackupData() = 0;
    virtual void ClearWorkFolders() = 0;
    // Learns the handheld, makes its user current and protects the data folder. false
    // when the session cannot go on (the connection is gone, the handheld gave no
    // identity, the user could not be made current, the backup failed).
    virtual bool Prepare() = 0;
    virtual bool FinalizeLocalFiles() = 0;
    virtual void SyncHandheldOverwritesDesktop() = 0;
    virtual void SyncDesktopOverwritesHandheld() = 0;
    virtual void Synchronize() = 0;
    virtual bool StartListener() = 0;
    virtual void StopListener() = 0;
    virtual bool Announce() = 0;
    virtual void ShowProgress() = 0;
    virtual void CloseProgress() = 0;
    virtual void NotifyViews() = 0;
    virtual int GetSyncDirection() = 0;

    // The session on the current connection; the listener runs it once per connection.
    void Run();

protected:
    // The short pauses that let the progress window appear before the first text.
    virtual void PauseForProgress(int milliseconds) = 0;
};
