#pragma once
// The sync's own texts: wire words, status and mode lines, message boxes.

namespace synctext {

inline constexpr const char* kRegistrationCaption = "Registration Error";
inline constexpr const char* kNameInUse = "Name in use, please choose another";
inline constexpr const char* kRegistrationFailed = "Error!!!";

}  // namespace synctext

namespace synctext {

inline constexpr const char* kDeleteFailed = "Delete failed";
inline constexpr const char* kCopyFileFailed = "CopyFile failed";

}  // namespace synctext

namespace synctext {

// Status lines of a session, in the order a session shows them.
inline constexpr const char* kPreparing = "Preparing for Sync...";
inline constexpr const char* kGettingUser = "Getting handheld user information...";
inline constexpr const char* kStarting = "Starting Sync...";
inline constexpr const char* kProcessing = "Processing...";
inline constexpr const char* kProcessingDeleted = "Processing deleted files...";
inline constexpr const char* kProcessingModified = "Processing modified files..";
inline constexpr const char* kSendingFiles = "Sending files...";
inline constexpr const char* kReceivingFiles = "Receiving files...";
inline constexpr const char* kFinalizing = "Finalizing Sync...";
inline constexpr const char* kSyncFailed = "Sync failed : Restoring data...";

// Mode lines.
inline constexpr const char* kModeSynchronize = "Mode : Synchronize";
inline constexpr const char* kModeDesktopOverwrites = "Mode : Desktop overrides handheld";
inline constexpr const char* kModeHandheldOverwrites = "Mode : Handheld overrides desktop";

// Message boxes of the backup.
inline constexpr const char* kBackupFailed = "BackupData: Copy directory failed!";
inline constexpr const char* kRestoreFailed = "RestoreBackup : Copy directory failed!";

// Wire words of the session.
inline constexpr const char* kSyncModeSynchronization = "SyncModeSynchronization";
inline constexpr const char* kSyncModeDesktopOverides = "SyncModeDesktopOverides";
inline constexpr const char* kSyncModeIphoneOverides = "SyncModeIphoneOverides";
inline constexpr const char* kSendDeletedFileList = "SendDeletedFileList";
inline constexpr const char* kRecieveDeletedFileList = "RecieveDeletedFileList";
inline constexpr const char* kSendModifiedFiles = "SendModifiedFiles";
inline constexpr const char* kRecieveModifiedFiles = "RecieveModifiedFiles";
inline constexpr const char* kFileSend = "FileSend";
inline constexpr const char* kEndOfFiles = "EndOfFiles";
inline constexpr const char* kOK = "OK";
inline constexpr const char* kProcessSuccess = "ProcessSuccess";
inline constexpr const char* kProcessFailure = "ProcessFailure";
inline constexpr const char* kSyncFinalize = "SyncFinalize";
inline constexpr const char* kSyncSuccess = "SyncSuccess";
inline constexpr const char* kSyncFailedWord = "SyncFailed";
inline constexpr const char* kSyncHasToStop = "SyncHasToStop";
inline constexpr const char* kEndConnection = "EndConnection";

}  // namespace synctext
