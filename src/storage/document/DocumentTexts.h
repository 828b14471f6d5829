#pragma once
// The document object's own texts, used as they stand.

#include <QString>

namespace doctexts {

// %1: the document's title.
inline const QString kSaveChanges = QStringLiteral("Save changes to %1?");
// %s: the template's file name.
inline const QString kOverwriteTemplate =
    QStringLiteral("The file name %s already exists. Overwrite the other file?");
// %1: the path that could not be written.
inline const QString kSaveFailed = QStringLiteral("The outline could not be saved to %1.");

inline const QString kFilingCabinetTitle = QStringLiteral("Filing Cabinet");
inline const QString kUntitled = QStringLiteral("Untitled");
inline const QString kUnfiled = QStringLiteral("Unfiled");

}  // namespace doctexts
