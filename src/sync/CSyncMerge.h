#pragma once
// The merge of a Synchronize sync: applies the handheld's deletions and changed
// outlines to the data folder, keeps the desktop's copy of an outline changed on both
// sides in "Conflicts", and lists the desktop's changed outlines with their pictures.
// Outlines are matched by DocUID only; the received version always wins.

#include <QString>
#include <QStringList>

class ISyncHost;

class CSyncMerge {
public:
    // dataFolder: the user's data folder; workFolder: where this step's received files
    // lie. host shows the "Delete failed" and "CopyFile failed" messages.
    CSyncMerge(const QString& dataFolder, const QString& workFolder, ISyncHost& host)
        : dataFolder_(dataFolder), workFolder_(workFolder), host_(host) {}

    // Deletes every outline of the data folder whose DocUID the received
    // "DeletedFiles.xml" names. false when that list cannot be read.
    bool ProcessDeletedFiles();
    // Stores the received pictures in "Images" and the received outlines in the data
    // folder, replacing the local outline of the same DocUID (copied to "Conflicts"
    // first when it was changed here too). false when a received outline or a local
    // file does not read as an outline.
    bool ProcessModifiedFiles();
    // Appends every outline matching pattern with a non-zero Modified field, each
    // followed by the pictures its items use that exist in "Images". Picture names
    // that would lead out of "Images" are left out.
    void CollectModifiedFiles(QStringList& list, const QString& pattern) const;
    // Sets the file's Modified field to 0. true also when the file is no outline;
    // false when it could not be written.
    static bool ClearModifiedFlag(const QString& path);
    // true when the outline at path reads as not modified, judged from its header alone
    // as ClearModifiedFlag judges it; nothing is written.
    static bool ModifiedFlagReadsClear(const QString& path);

    // A picture by its name: one of the picture extensions anywhere in it.
    static bool IsPictureName(const QString& path);
    // The handheld's stray folder-settings file.
    static bool IsStrayName(const QString& path);
    // A "Drawing" value that names a file directly inside "Images".
    static bool IsSafePictureName(const QString& name);

private:
    QString dataFolder_;
    QString workFolder_;
    ISyncHost& host_;
};
