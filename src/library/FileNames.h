#pragma once
// File names of library documents: splitting paths, titles made into file names, and
// numbered names that make a path unique.
//
// Paths use "/"; the drive part is always empty here. Extension matching ignores letter
// case; every other comparison of names is exact (the file system is case-sensitive).

#include <QString>

// A path split into drive, directory (with leading and trailing "/" when it has any),
// name and extension (with its dot). The extension starts at the last dot of the file
// name, also when that is its first character.
class CMyFile {
public:
    CMyFile() = default;
    explicit CMyFile(const QString& path) { SetPath(path); }
    void SetPath(const QString& path);

    const QString& Drive() const { return m_drive; }
    const QString& Directory() const { return m_directory; }
    const QString& Name() const { return m_name; }
    const QString& Extension() const { return m_extension; }
    // Drive + directory: the folder, ending with "/" unless it is empty.
    QString Folder() const { return m_drive + m_directory; }
    // The extension without its dot.
    QString ExtensionWithoutDot() const { return m_extension.mid(1); }
    QString FileName() const { return m_name + m_extension; }
    QString Path() const { return m_drive + m_directory + m_name + m_extension; }

private:
    QString m_drive;
    QString m_directory;
    QString m_name;
    QString m_extension;
};

// The longest file title the library makes (in UTF-16 units).
inline constexpr int kMaxFileTitleLength = 27;

// True when a file or folder of that path exists.
bool FileExists(const QString& path);
// folder, a "/" when folder does not end with one, name and extension (with its dot).
QString JoinPath(const QString& folder, const QString& name, const QString& extension);
// A usable file title from any text: trimmed; the characters \ / : * ? " < > | and
// control characters deleted; leading dots deleted (a leading dot would hide the file);
// at most 27 characters (a surrogate pair is never split); "Unfiled" when nothing is left.
QString MakeFileTitle(const QString& text);
// The first free "<base>-<n><extension>" in the path's folder (n = 1, 2, ...), the base
// cut so the name keeps its length; a candidate equal to excluded (when not empty) is
// taken even though it exists. Empty when no number up to a million is free.
QString MakeNumberedName(const QString& path, const QString& excluded = QString());
// path when it is free (and so is its twin in secondFolder, when given); otherwise the
// first numbered name that is. Names are cut to 27 characters first. A numbered name
// equal to excluded (letter case ignored) ends the search. Empty when nothing is free.
QString MakeUniquePath(const QString& path, const QString& secondFolder = QString(),
                       const QString& excluded = QString());
// The extension is "ort", letter case ignored.
bool IsTemplateFile(const QString& path);
// The extension (after its dot) equals one of extensions, letter case ignored.
bool ExtensionMatches(const QString& path, const QStringList& extensions);
