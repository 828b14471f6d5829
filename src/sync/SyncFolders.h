#pragma once
// Folder helpers of the sync: listing the files a sync step works on, deleting a folder
// tree, and copying one folder's contents into another. A symbolic link is an entry of
// its own everywhere here: it is never followed, so no helper reaches outside the
// folder it was given.

#include <QString>
#include <QStringList>

// Appends folder + "/" + name for every file directly in folder whose name matches
// pattern ("*.orv"; empty means every file; extensions compare without regard to case).
// Subfolders are not entered; "DeletedFiles.xml" and "Categories.xml" are never listed.
// Names come in name order.
void ListFolderFiles(QStringList& list, const QString& folder, const QString& pattern);

// Deletes folder with everything in it, depth first, with RemoveFile for files. false
// when folder cannot be listed or at the first entry that cannot be deleted.
bool DeleteFolderTree(const QString& folder);

// How files are copied into another folder.
enum class FileCopy {
    Bytes,  // each file copied byte for byte
    // Hard links where the file system allows (copies elsewhere): for a backup taken while
    // the sync only ever replaces, renames or removes the files, never writes into one.
    LinkWherePossible,
};

// Copies everything in sourceFolder (files and subfolders, recursively) into
// targetFolder, creating it with missing parents and replacing files of the same name.
// Goes on past a failed entry so as much as possible arrives; false if any failed.
bool CopyFolder(const QString& sourceFolder, const QString& targetFolder, FileCopy how = FileCopy::Bytes);

// Copies one regular file to target, which must not exist yet, with the source's
// permissions. Unlike QFile::copy it does not flush every copy to disk: a sync copies
// thousands of files, and the flush of each would cost more than the sync. false when
// the copy could not be made completely (a partial target is removed).
bool CopyFileQuick(const QString& source, const QString& target);
// Makes target (which must not exist yet) a hard link to the regular file source, or a
// copy where no link can be made (another file system, one without links).
bool LinkOrCopyFile(const QString& source, const QString& target);

// Removes a file (or a symbolic link, never what it points to). Its mode is only touched
// when plain removal failed: the file may share its data with a backup's hard link.
bool RemoveFile(const QString& path);

// Gives the file its owner's write permission back (the "read-only" flag here).
void ClearReadOnly(const QString& path);
