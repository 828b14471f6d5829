#pragma once
// The desktop's sync: the listener, the announcement and the session with its three
// modes (Synchronize, Desktop overwrites Handheld, Handheld overwrites Desktop). One
// object lives for the whole run of the program; every session runs on the listener
// thread, one connection after another, and reaches the user interface only through
// the host.
//
// Failure model of a session. A connection that closes, fails or stays silent past the
// time-out ends the session as a failure: the data folder is restored from the backup
// in the modes that change it (Synchronize, Handheld overwrites Desktop), the one-time
// mode is kept so the same mode runs next time, and the listener serves the next
// connection. After every session neither the work folder nor the backup exists, except
// a backup that could not be copied back: that one is kept under a name of its own so
// nothing of the user's is lost.

#include <cstdint>
#include <functional>
#include <memory>

#include <QSet>
#include <QString>
#include <QStringList>

#include "sync/CSync.h"
#include "sync/CSyncTransport.h"

class CAppSettings;
class CSyncAnnouncement;
class CSyncListener;
class CUserItem;
class CUserList;
class ISyncHost;

class COrvelleSync : public CSync {
public:
    // How a session ended, for the log of a serving desktop and for tests.
    enum class Outcome {
        Ok,                 // the mode ran to its final "EndConnection"
        StoppedByHandheld,  // "SyncHasToStop"
        HandheldFailed,     // the handheld reported a failure of its own
        DesktopFailed,      // processing on this side failed ("ProcessFailure", "SyncFailed")
        ConnectionLost,     // closed, failed or silent past the time-out
        NoDeviceID,         // the handheld gave no device ID
        UserNotCurrent,     // the handheld's user could not be made current
        BackupFailed,       // the data folder could not be backed up; nothing was changed
        UnknownMode,        // "SyncDirection" holds no mode this program knows
    };
    struct SessionReport {
        QString deviceName;
        QString deviceId;
        int mode = -1;  // the mode the session ran (or would have run); -1 before it was known
        Outcome outcome = Outcome::ConnectionLost;
    };
    static QString OutcomeText(Outcome outcome);  // "ok", "stopped by the handheld", ...
    static QString ModeName(int mode);            // "Synchronize", ...

    // settings, users and host must outlive this object. The listener is not started
    // here: the owner calls StartListener once it has chosen the port.
    COrvelleSync(CAppSettings& settings, CUserList& users, ISyncHost& host);
    // Stops the listener (a running session fails at once) and withdraws the announcement.
    ~COrvelleSync() override;
    COrvelleSync(const COrvelleSync&) = delete;
    COrvelleSync& operator=(const COrvelleSync&) = delete;

    // Set before StartListener. Port 0: the system picks one (see Port()).
    void SetPort(std::uint16_t port) { port_ = port; }
    std::uint16_t Port() const;
    // How long one receive may wait for the handheld (60 s unless told otherwise).
    void SetTimeout(int milliseconds) { transport_.SetTimeout(milliseconds); }
    // The 100 ms and 500 ms pauses for the progress window; off for a desktop without one.
    void SetProgressPauses(bool on) { pauses_ = on; }
    // Called on the listener thread at the end of every session.
    void SetReportSink(std::function<void(const SessionReport&)> sink) { reportSink_ = std::move(sink); }
    CSyncTransport& Transport() { return transport_; }

    // CSync.
    bool BackupData() override;
    void ClearWorkFolders() override;
    bool Prepare() override;
    bool FinalizeLocalFiles() override;
    void SyncHandheldOverwritesDesktop() override;
    void SyncDesktopOverwritesHandheld() override;
    void Synchronize() override;
    // Binds the port and starts the listener thread; false when binding failed.
    bool StartListener() override;
    // Sets the stop flag; the listener ends after the session it runs.
    void StopListener() override;
    // Stops the listener and waits for it; a running session fails at once.
    void StopListenerAndWait();
    // The DNS-SD announcement of the listener's port; false without a daemon.
    bool Announce() override;
    void ShowProgress() override;
    void CloseProgress() override;
    void NotifyViews() override;
    // "SyncDirection"; while a session runs, the mode it fixed when it resolved its user,
    // so a change made meanwhile applies to the next sync.
    int GetSyncDirection() override;

    // Copies the backup over the data folder. Files the failed sync added stay.
    bool RestoreBackup();
    // Removes what the library keeps in the data folder (outlines, templates, the XML side
    // files, "Images", "Conflicts", "TempData") and nothing else.
    void WipeDataFolder();
    // Finds or creates the handheld's user and makes it current. true when it is current.
    bool ResolveUser(const QString& deviceName, const QString& deviceId);

    // The folders of the session now: the work folder inside the data folder, and the
    // backup in the folder of all data folders (never a folder of the user's).
    QString WorkFolder() const;
    QString BackupFolder() const;

protected:
    void PauseForProgress(int milliseconds) override;

private:
    void RunSession();
    bool LinkLost() const { return transport_.ConnectionFailed(); }
    // Ends a mode on a lost connection; restores in the modes that change the data folder.
    void LoseLink(bool restore);
    // "SyncHasToStop": "EndConnection", an acknowledgement, and the restore where needed.
    void StopOnRequest(bool restore);
    // Takes the handheld's files into work until "EndOfFiles", answer being the reply
    // already read; false when the link was lost or the handheld stopped the sync (the
    // mode has then been ended).
    bool ReceiveFilesUntilEnd(QByteArray answer, const QString& work);
    // Sends one file the handheld has been told of; a file that cannot be sent breaks the
    // link (the handheld would wait for data that never come).
    bool SendAnnouncedFile(CSendableFile& file);
    // FinalizeLocalFiles, leaving alone the outlines already known to be unmodified.
    bool FinalizeLocalFiles(const QSet<QString>& knownClear);
    void ResetOneTimeMode();
    void Finish(Outcome outcome);
    bool IsReservedFolder(const QString& folder) const;

    CSyncTransport transport_;
    CAppSettings& settings_;
    CUserList& users_;
    ISyncHost& host_;
    std::unique_ptr<CSyncListener> listener_;
    std::unique_ptr<CSyncAnnouncement> announcement_;
    std::uint16_t port_ = 5000;
    bool pauses_ = true;
    std::function<void(const SessionReport&)> reportSink_;

    // Session state, touched only on the listener thread.
    QString dataFolder_;   // fixed once the handheld's user is current
    int sessionMode_ = -1;
    bool inSession_ = false;
    SessionReport report_;
    bool outcomeSet_ = false;
};
