#include "sync/COrvelleSync.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/config/CAppSettings.h"
#include "app/config/CPreferences.h"
#include "app/config/ConfigTable.h"
#include "app/config/DataFolders.h"
#include "app/config/SharedFlags.h"
#include "sync/CSyncAnnouncement.h"
#include "sync/CSyncListener.h"
#include "sync/CSyncMerge.h"
#include "sync/CUserItem.h"
#include "sync/CUserList.h"
#include "sync/ISyncHost.h"
#include "sync/SyncFolders.h"
#include "sync/SyncTexts.h"

using namespace synctext;

namespace {

QString Text(const char* text) { return QString::fromLatin1(text); }

// While a library travels to the handheld the desktop mostly waits for acknowledgements.
// Meanwhile this reads the outlines' headers on a thread of its own and picks out those
// whose Modified flag is already clear, so finalizing need not open them again. An outline
// changed after its check keeps its flag set, which only means it travels again next time.
class UnmodifiedScan {
public:
    explicit UnmodifiedScan(QStringList outlines)
        : thread_([this, outlines = std::move(outlines)] {
              for (const QString& path : outlines) {
                  if (stop_) return;
                  if (CSyncMerge::ModifiedFlagReadsClear(path)) clear_.insert(path);
              }
          }) {}
    ~UnmodifiedScan() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    UnmodifiedScan(const UnmodifiedScan&) = delete;
    UnmodifiedScan& operator=(const UnmodifiedScan&) = delete;
    // Waits for the scan to end and hands over what it found.
    QSet<QString> Take() {
        if (thread_.joinable()) thread_.join();
        return std::move(clear_);
    }

private:
    std::atomic<bool> stop_{false};
    QSet<QString> clear_;
    std::thread thread_;  // last: starts once the members it uses exist
};

QString Clean(const QString& path) { return QDir::cleanPath(path); }

// inner is folder itself or lies somewhere below it.
bool IsAtOrBelow(const QString& inner, const QString& folder) {
    const QString a = Clean(inner), b = Clean(folder);
    return a == b || a.startsWith(b + QLatin1Char('/'));
}

bool IsUsableDataFolder(const QString& folder) {
    return !folder.isEmpty() && QDir::isAbsolutePath(folder) && Clean(folder) != QLatin1String("/");
}

// Replaces target by a copy of source; a link is copied as a link, never followed.
bool CopyEntry(const QFileInfo& source, const QString& target, FileCopy how = FileCopy::Bytes) {
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) RemoveFile(target);
    if (source.isSymLink()) return QFile::link(source.symLinkTarget(), target);
    return how == FileCopy::LinkWherePossible ? LinkOrCopyFile(source.filePath(), target)
                                              : CopyFileQuick(source.filePath(), target);
}

// Copies what a sync can change in a data folder: every file directly in it (the merge
// may touch any file that reads as an outline) and the "Images" and "Conflicts" folders.
// Other subfolders are the user's own and the sync never enters them, so a data folder
// that holds other things (a whole documents folder, say) is not copied whole.
bool CopyLibrary(const QString& from, const QString& to, FileCopy how) {
    if (!QDir().mkpath(to)) return false;
    const QDir source(from);
    if (!source.exists()) return false;
    bool ok = true;
    const auto entries = source.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : entries) {
        const QString name = info.fileName();
        const QString target = to + QLatin1Char('/') + name;
        if (info.isSymLink() || info.isFile()) {
            ok = CopyEntry(info, target, how) && ok;
        } else if (info.isDir() && (name == config::kImagesFolder || name == config::kConflictsFolder)) {
            ok = CopyFolder(info.filePath(), target, how) && ok;
        }
    }
    return ok;
}

bool HasExtension(const QString& name, const QString& extension) {
    return name.endsWith(QLatin1Char('.') + extension, Qt::CaseInsensitive);
}

}  // namespace

QString COrvelleSync::OutcomeText(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok: return QStringLiteral("ok");
    case Outcome::StoppedByHandheld: return QStringLiteral("stopped by the handheld");
    case Outcome::HandheldFailed: return QStringLiteral("failed on the handheld");
    case Outcome::DesktopFailed: return QStringLiteral("failed on the desktop, data restored");
    case Outcome::ConnectionLost: return QStringLiteral("connection lost");
    case Outcome::NoDeviceID: return QStringLiteral("no device ID");
    case Outcome::UserNotCurrent: return QStringLiteral("user could not be made current");
    case Outcome::BackupFailed: return QStringLiteral("backup failed, nothing changed");
    case Outcome::UnknownMode: return QStringLiteral("unknown sync mode");
    }
    return QString();
}

QString COrvelleSync::ModeName(int mode) {
    switch (mode) {
    case config::kSyncSynchronize: return QStringLiteral("Synchronize");
    case config::kSyncDesktopOverwritesHandheld: return QStringLiteral("Desktop overwrites Handheld");
    case config::kSyncHandheldOverwritesDesktop: return QStringLiteral("Handheld overwrites Desktop");
    default: return mode < 0 ? QStringLiteral("-") : QStringLiteral("mode %1").arg(mode);
    }
}

COrvelleSync::COrvelleSync(CAppSettings& settings, CUserList& users, ISyncHost& host)
    : settings_(settings), users_(users), host_(host) {
    listener_ = std::make_unique<CSyncListener>(transport_, [this] { RunSession(); });
    announcement_ = std::make_unique<CSyncAnnouncement>(host_);
}

COrvelleSync::~COrvelleSync() {
    StopListenerAndWait();
    announcement_->Withdraw();
}

std::uint16_t COrvelleSync::Port() const { return listener_->IsRunning() ? listener_->Port() : port_; }

bool COrvelleSync::StartListener() { return listener_->Start(port_); }

void COrvelleSync::StopListener() { listener_->RequestStop(); }

void COrvelleSync::StopListenerAndWait() { listener_->Stop(); }

bool COrvelleSync::Announce() { return announcement_->Announce(Port()); }

void COrvelleSync::ShowProgress() { host_.ShowProgress(); }

void COrvelleSync::CloseProgress() { host_.CloseProgress(); }

void COrvelleSync::NotifyViews() {
    if (!host_.HasMainWindow()) return;
    host_.RefreshListPane();
    host_.RefreshAllViews();
}

int COrvelleSync::GetSyncDirection() {
    if (inSession_ && sessionMode_ >= 0) return sessionMode_;
    return config::GetSyncDirection(settings_);
}

void COrvelleSync::PauseForProgress(int milliseconds) {
    if (pauses_) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void COrvelleSync::RunSession() {
    inSession_ = true;
    sessionMode_ = -1;
    report_ = SessionReport{};
    outcomeSet_ = false;
    dataFolder_ = host_.DataFolder();
    Run();
    if (!outcomeSet_) Finish(Outcome::ConnectionLost);
    inSession_ = false;
    if (reportSink_) reportSink_(report_);
}

void COrvelleSync::Finish(Outcome outcome) {
    if (outcomeSet_) return;
    report_.outcome = outcome;
    outcomeSet_ = true;
}

QString COrvelleSync::WorkFolder() const {
    if (!IsUsableDataFolder(dataFolder_)) return QString();
    return config::JoinFolder(dataFolder_, config::kTempDataFolder);
}

bool COrvelleSync::IsReservedFolder(const QString& folder) const {
    // The backup must never be a folder the user keeps data in, nor hold one.
    if (IsUsableDataFolder(dataFolder_) && IsAtOrBelow(dataFolder_, folder)) return true;
    for (CUserItem* user : users_.GetUsers()) {
        if (IsAtOrBelow(user->GetDefaultDataFolder(), folder)) return true;
        const QString path = settings_.GetString(
            CAppSettings::UserSection(user->GetUserKeyName(), config::kPreferencesSubkey), CPreferences::kPath,
            QString());
        if (IsUsableDataFolder(path) && IsAtOrBelow(path, folder)) return true;
    }
    return false;
}

QString COrvelleSync::BackupFolder() const {
    const QString parent = config::UsersParentFolder();
    const QString backup = config::JoinFolder(parent, config::kBackupFolder);
    if (!IsReservedFolder(backup)) return backup;
    // A device whose ID is "Backup" has its data folder there. Device folder names never
    // hold a bare "~", so this name is nobody's.
    return config::JoinFolder(parent, config::kBackupFolder + QLatin1Char('~'));
}

void COrvelleSync::ClearWorkFolders() {
    const QString work = WorkFolder();
    if (!work.isEmpty()) {
        ClearReadOnly(work);
        DeleteFolderTree(work);
    }
    const QString backup = BackupFolder();
    ClearReadOnly(backup);
    DeleteFolderTree(backup);
}

bool COrvelleSync::BackupData() {
    // The backup shares the files' data with the library where it can: from here to the
    // end of the session the sync replaces, renames and removes files but writes into
    // none that has another link, so each link keeps the bytes it had.
    if (CopyLibrary(dataFolder_, BackupFolder(), FileCopy::LinkWherePossible)) return true;
    host_.ShowMessage(Text(kBackupFailed), QString());
    return false;
}

bool COrvelleSync::RestoreBackup() {
    const QString backup = BackupFolder();
    if (CopyLibrary(backup, dataFolder_, FileCopy::Bytes)) return true;
    host_.ShowMessage(Text(kRestoreFailed), QString());
    // The closing clean-up would delete the only whole copy: keep it under a name of its own.
    const QString kept = config::JoinFolder(
        config::UsersParentFolder(),
        config::kBackupFolder + QStringLiteral("~not restored~") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz")));
    QDir().rename(backup, kept);
    return false;
}

void COrvelleSync::WipeDataFolder() {
    if (!IsUsableDataFolder(dataFolder_)) return;
    ClearReadOnly(dataFolder_);
    const QDir dir(dataFolder_);
    const auto entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : entries) {
        const QString name = info.fileName();
        if (info.isDir() && !info.isSymLink()) {
            if (name == config::kImagesFolder || name == config::kConflictsFolder || name == config::kTempDataFolder)
                DeleteFolderTree(info.filePath());
            continue;
        }
        const bool owned = HasExtension(name, config::kOutlineExtension) ||
                           HasExtension(name, config::kTemplateExtension) || name == config::kCategoriesFile ||
                           name == config::kDeletedFilesFile || name == config::kFilingCabinetFile ||
                           name == config::kImagesFolder || name == config::kConflictsFolder ||
                           name == config::kTempDataFolder;
        if (!owned) continue;
        RemoveFile(info.filePath());
    }
    QDir().mkpath(dataFolder_);
}

bool COrvelleSync::ResolveUser(const QString& deviceName, const QString& deviceId) {
    CUserItem* user = users_.FindByID(deviceId);
    if (!user) {
        user = users_.CreateUser(deviceName, deviceId);
        // A handheld's first sync brings its outlines to the desktop.
        config::SetSyncDirection(settings_, config::kSyncHandheldOverwritesDesktop);
    }
    {
        config::NoListRefreshScope noRefresh;
        config::SilentSaveScope silent;
        CUserItem* current = host_.CurrentUser();
        if (current && current->GetDeviceID() == deviceId) host_.SaveModifiedDocuments();
        else host_.SwitchUser(user);  // also without a main window: the sync must not run on another user's folder
    }
    if (host_.HasMainWindow()) host_.RefillUsers();
    CUserItem* current = host_.CurrentUser();
    return current && current->GetDeviceID() == deviceId;
}

bool COrvelleSync::Prepare() {
    host_.SetStatus(Text(kPreparing));
    PauseForProgress(100);
    host_.SetStatus(Text(kGettingUser));
    QString name, id;
    transport_.ReadDeviceIdentity(name, id);
    report_.deviceName = name;
    report_.deviceId = id;
    if (LinkLost()) {
        Finish(Outcome::ConnectionLost);
        return false;
    }
    auto refuse = [this](Outcome outcome) {
        Finish(outcome);
        transport_.SendCommand(kEndConnection);
        transport_.ReceiveReply(CSyncTransport::kAckCapacity);
        return false;
    };
    // Without an ID there is no user to sync with, and no folder name to give one.
    if (id.isEmpty()) return refuse(Outcome::NoDeviceID);
    if (!ResolveUser(name, id)) return refuse(Outcome::UserNotCurrent);
    const QString folder = host_.DataFolder();
    if (!IsUsableDataFolder(folder)) return refuse(Outcome::UserNotCurrent);
    dataFolder_ = folder;
    QDir().mkpath(dataFolder_);
    host_.SetUserTitle(name);

    sessionMode_ = config::GetSyncDirection(settings_);
    report_.mode = sessionMode_;
    switch (sessionMode_) {
    case config::kSyncSynchronize:
        if (!BackupData()) return refuse(Outcome::BackupFailed);
        break;
    case config::kSyncHandheldOverwritesDesktop:
        // Never empty a data folder whose copy is not whole.
        if (!BackupData()) return refuse(Outcome::BackupFailed);
        WipeDataFolder();
        break;
    case config::kSyncDesktopOverwritesHandheld:
        break;
    default:
        return refuse(Outcome::UnknownMode);
    }
    return true;
}

bool COrvelleSync::FinalizeLocalFiles() { return FinalizeLocalFiles(QSet<QString>()); }

bool COrvelleSync::FinalizeLocalFiles(const QSet<QString>& knownClear) {
    bool result = true;
    const int mode = GetSyncDirection();
    if (mode == config::kSyncHandheldOverwritesDesktop) {
        const QString images = config::JoinFolder(dataFolder_, config::kImagesFolder);
        QDir().mkpath(images);
        QStringList received;
        ListFolderFiles(received, WorkFolder(), QString());
        for (const QString& path : received) {
            const QFileInfo info(path);
            const QString target = CSyncMerge::IsPictureName(path)
                                       ? images + QLatin1Char('/') + info.fileName()
                                       : config::JoinFolder(dataFolder_, info.fileName());
            if (!CopyEntry(info, target)) result = false;
        }
    } else if (mode != config::kSyncSynchronize && mode != config::kSyncDesktopOverwritesHandheld) {
        return true;
    }
    QStringList outlines;
    ListFolderFiles(outlines, dataFolder_, QStringLiteral("*.orv"));
    ListFolderFiles(outlines, dataFolder_, QStringLiteral("*.ort"));
    for (const QString& path : outlines)
        if (!knownClear.contains(path)) CSyncMerge::ClearModifiedFlag(path);
    return result;
}

void COrvelleSync::ResetOneTimeMode() {
    config::SetSyncDirection(settings_, config::GetSyncDefaultDirection(settings_));
}

bool COrvelleSync::ReceiveFilesUntilEnd(QByteArray answer, const QString& work) {
    CSyncTransport& t = transport_;
    while (answer != kEndOfFiles) {
        if (LinkLost()) {
            LoseLink(true);
            return false;
        }
        if (answer == kSyncHasToStop) {
            StopOnRequest(true);
            return false;
        }
        if (answer == kFileSend) {
            const QByteArray name = t.ReceiveReply(CSyncTransport::kNameCapacity);
            t.SendCommand(kOK);
            t.ReceiveFile(work, QString::fromUtf8(name));
        }
        answer = t.ReceiveReply(CSyncTransport::kReplyCapacity);
        t.SendCommand(kOK);
    }
    return true;
}

void COrvelleSync::LoseLink(bool restore) {
    if (restore) RestoreBackup();
    Finish(Outcome::ConnectionLost);
}

void COrvelleSync::StopOnRequest(bool restore) {
    transport_.SendCommand(kEndConnection);
    transport_.ReceiveReply(CSyncTransport::kAckCapacity);
    if (restore) RestoreBackup();
    Finish(Outcome::StoppedByHandheld);
}

bool COrvelleSync::SendAnnouncedFile(CSendableFile& file) {
    if (transport_.SendFile(file)) return true;
    if (!LinkLost()) {
        // The handheld now waits for a size or data we cannot give: end the link, so both
        // sides see a failure rather than waiting out the time-out.
        transport_.Interrupt();
        transport_.ReceiveReply(CSyncTransport::kAckCapacity);
    }
    return false;
}

namespace {

QByteArray WireName(const QString& path) { return QFileInfo(path).fileName().toUtf8(); }

}  // namespace

void COrvelleSync::Synchronize() {
    CSyncTransport& t = transport_;
    auto ack = [&t] { t.ReceiveReply(CSyncTransport::kAckCapacity); };
    auto reply = [&t] { return t.ReceiveReply(CSyncTransport::kReplyCapacity); };
    const QString work = WorkFolder();
    CSyncMerge merge(dataFolder_, work, host_);

    host_.SetMode(Text(kModeSynchronize));
    host_.SetStatus(Text(kStarting));
    t.SendCommand(kSyncModeSynchronization);
    ack();

    // The handheld's deletions.
    t.SendCommand(kSendDeletedFileList);
    QDir().mkpath(work);
    host_.SetStatus(Text(kProcessing));
    QByteArray answer = reply();
    t.SendCommand(kOK);
    if (LinkLost()) return LoseLink(true);
    if (answer == kFileSend) {
        host_.SetStatus(Text(kProcessingDeleted));
        const QByteArray name = t.ReceiveReply(CSyncTransport::kNameCapacity);
        t.SendCommand(kOK);
        t.ReceiveFile(work, QString::fromUtf8(name));
        reply();
        t.SendCommand(kOK);
        ack();
        if (LinkLost()) return LoseLink(true);
        if (merge.ProcessDeletedFiles()) {
            t.SendCommand(kProcessSuccess);
            ack();
        } else {
            t.SendCommand(kProcessFailure);
            ack();
            t.SendCommand(kEndConnection);
            ack();
            RestoreBackup();
            return Finish(Outcome::DesktopFailed);
        }
    } else if (answer == kSyncHasToStop) {
        return StopOnRequest(true);
    } else {
        ack();
        t.SendCommand(kProcessSuccess);
        ack();
    }

    // The desktop's deletions, sent as they are: the list is not emptied.
    t.SendCommand(kRecieveDeletedFileList);
    ack();
    const QString deleted = config::JoinFolder(dataFolder_, config::kDeletedFilesFile);
    // Opened before it is offered, so "FileSend" is never followed by nothing.
    if (CSendableFile file(deleted); file.IsOpen()) {
        t.SendCommand(kFileSend);
        ack();
        t.SendCommand(WireName(deleted));
        ack();
        if (!SendAnnouncedFile(file)) return LoseLink(true);
    }
    t.SendCommand(kEndOfFiles);
    ack();

    bool completed = false;
    t.SendCommand(kOK);
    answer = reply();
    if (LinkLost()) return LoseLink(true);
    if (answer != kProcessSuccess) {
        host_.SetStatus(Text(kSyncFailed));
        RestoreBackup();
        Finish(Outcome::HandheldFailed);
    } else {
        // The handheld's changed outlines.
        host_.SetStatus(Text(kProcessingModified));
        t.SendCommand(kSendModifiedFiles);
        QDir().mkpath(work);
        answer = reply();
        t.SendCommand(kOK);
        if (!ReceiveFilesUntilEnd(answer, work)) return;
        ack();
        if (LinkLost()) return LoseLink(true);
        if (!merge.ProcessModifiedFiles()) {
            t.SendCommand(kProcessFailure);
            host_.SetStatus(Text(kSyncFailed));
            RestoreBackup();
            Finish(Outcome::DesktopFailed);
        } else {
            // The desktop's changed outlines with their pictures.
            t.SendCommand(kProcessSuccess);
            ack();
            t.SendCommand(kRecieveModifiedFiles);
            ack();
            QStringList list;
            merge.CollectModifiedFiles(list, QStringLiteral("*.orv"));
            merge.CollectModifiedFiles(list, QStringLiteral("*.ort"));
            for (const QString& entry : list) {
                CSendableFile file(entry);
                if (!file.IsOpen()) continue;
                t.SendCommand(kFileSend);
                answer = reply();
                if (LinkLost()) return LoseLink(true);
                if (answer == kSyncHasToStop) return StopOnRequest(true);
                t.SendCommand(WireName(entry));
                ack();
                if (!SendAnnouncedFile(file)) return LoseLink(true);
            }
            t.SendCommand(kEndOfFiles);
            answer = reply();
            host_.SetStatus(Text(kFinalizing));
            if (LinkLost()) return LoseLink(true);
            if (answer == kSyncHasToStop) return StopOnRequest(true);
            t.SendCommand(kOK);
            answer = reply();
            if (answer == kProcessSuccess) {
                FinalizeLocalFiles();
                completed = true;
            } else {
                if (LinkLost()) return LoseLink(true);
                host_.SetStatus(Text(kSyncFailed));
                RestoreBackup();
                Finish(Outcome::HandheldFailed);
            }
        }
    }

    // Once the handheld has confirmed, the sync is done on both sides: a link that breaks
    // now must not undo it.
    const bool said = t.SendCommand(kEndConnection) >= 0;
    ack();
    if (!said && !completed) return;  // the failure is recorded and the backup restored
    ResetOneTimeMode();
    Finish(Outcome::Ok);
}

void COrvelleSync::SyncDesktopOverwritesHandheld() {
    CSyncTransport& t = transport_;
    auto ack = [&t] { t.ReceiveReply(CSyncTransport::kAckCapacity); };
    auto reply = [&t] { return t.ReceiveReply(CSyncTransport::kReplyCapacity); };

    host_.SetMode(Text(kModeDesktopOverwrites));
    host_.SetStatus(Text(kStarting));
    t.SendCommand(kSyncModeDesktopOverides);
    ack();
    if (LinkLost()) return LoseLink(false);

    host_.SetStatus(Text(kSendingFiles));
    QStringList list;
    ListFolderFiles(list, dataFolder_, QStringLiteral("*.orv"));
    ListFolderFiles(list, dataFolder_, QStringLiteral("*.ort"));
    UnmodifiedScan scan(list);
    ListFolderFiles(list, config::JoinFolder(dataFolder_, config::kImagesFolder), QString());
    for (const QString& entry : list) {
        CSendableFile file(entry);
        if (!file.IsOpen()) continue;
        t.SendCommand(kFileSend);
        const QByteArray answer = reply();
        if (LinkLost()) return LoseLink(false);
        if (answer == kSyncHasToStop) return StopOnRequest(false);
        t.SendCommand(WireName(entry));
        ack();
        if (!SendAnnouncedFile(file)) return LoseLink(false);
    }
    t.SendCommand(kEndOfFiles);
    ack();
    const QByteArray answer = reply();
    if (LinkLost()) return LoseLink(false);
    const bool completed = answer == kSyncFinalize;
    if (completed) {
        host_.SetStatus(Text(kFinalizing));
        FinalizeLocalFiles(scan.Take());
        t.SendCommand(kSyncSuccess);
        ack();
    } else {
        Finish(Outcome::HandheldFailed);
    }
    const bool said = t.SendCommand(kEndConnection) >= 0;
    ack();
    if (!said && !completed) return;
    ResetOneTimeMode();
    Finish(Outcome::Ok);
}

void COrvelleSync::SyncHandheldOverwritesDesktop() {
    CSyncTransport& t = transport_;
    auto ack = [&t] { t.ReceiveReply(CSyncTransport::kAckCapacity); };
    auto reply = [&t] { return t.ReceiveReply(CSyncTransport::kReplyCapacity); };
    const QString work = WorkFolder();

    host_.SetMode(Text(kModeHandheldOverwrites));
    host_.SetStatus(Text(kStarting));
    t.SendCommand(kSyncModeIphoneOverides);
    ack();
    t.SendCommand(kOK);
    QByteArray answer = reply();
    t.SendCommand(kOK);

    host_.SetStatus(Text(kReceivingFiles));
    QDir().mkpath(work);
    if (!ReceiveFilesUntilEnd(answer, work)) return;
    if (LinkLost()) return LoseLink(true);

    host_.SetStatus(Text(kFinalizing));
    if (FinalizeLocalFiles()) {
        t.SendCommand(kSyncFinalize);
        answer = reply();
        t.SendCommand(kOK);
        if (LinkLost()) return LoseLink(true);
        if (answer == kSyncFailedWord) {
            host_.SetStatus(Text(kSyncFailed));
            PauseForProgress(500);
            RestoreBackup();
            Finish(Outcome::HandheldFailed);
        } else {
            host_.OnUserCreated();
            host_.SetFinishText(host_.CurrentUser());
        }
    } else {
        host_.SetStatus(Text(kSyncFailed));
        PauseForProgress(500);
        RestoreBackup();
        t.SendCommand(kSyncFailedWord);
        ack();
        Finish(Outcome::DesktopFailed);
    }
    const bool completed = !outcomeSet_;
    const bool said = t.SendCommand(kEndConnection) >= 0;
    t.CloseConnection();
    if (!said && !completed) return;
    ResetOneTimeMode();
    Finish(Outcome::Ok);
}
