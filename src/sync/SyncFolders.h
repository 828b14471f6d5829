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

// Deletes folder with everything in it, depth first, making files writable first. false
// when folder cannot be listed or at the first entry that cannot be deleted.
bool DeleteFolderTree(const QString& folder);

// Copies everything in sourceFolder (files and subfolders, recursively) into
// targetFolder, creating it with missing parents and replacing files of the same name.
// Goes on past a failed entry so as much as possible arrives; false if any failed.
bool CopyFolder(const QString& sourceFolder, const QString& targetFolder);

// Copies one regular file to target, which must not exist yet, with the source's
// permissions. Unlike QFile::copy it does not flush every copy to disk: a sync copies
// thousands of files, and the flush of each would cost more than the sync. false when
// the copy could not be made completely (a partial target is removed).
bool CopyFileQuick(const QString& source, const QString& target);

// Gives the file its owner's write permission back (the "read-only" flag here).
void ClearReadOnly(const QString& path);
