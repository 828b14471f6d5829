#pragma once
// Reads the Title and Category of an outline document without parsing its items.
//
// A library scan opens every document, and a document can be megabytes of items after a
// header of a few hundred bytes. The reader takes the file's bytes up to the end of its
// Header, closes the document element after it and lets the outline store parse just
// that. It falls back to a full parse whenever that shortcut could read something the
// full parse would not: a Header that is not near the start, a file that does not end
// with the document's end tag (cut short), or text not in UTF-8.

#include <QString>

struct OutlineHeader {
    QString title;
    QString category;
};

// False when the file cannot be read, is not an outline document, or lacks Title or
// Category in its Header.
bool ReadOutlineHeader(const QString& path, OutlineHeader& out);
