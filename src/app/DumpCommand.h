#pragma once
// `orvelle --dump FILE...`: prints outline documents and templates as plain text, one
// file after the other, for people and scripts that want to see what a file holds.

#include <cstdio>

#include <QStringList>

// For each path: "Title: <title>", "Category: <category>", then one line per item in
// file order: two spaces per indent level, "[x] " or "[ ] ", the item text with every
// line break (CR LF, CR or LF) written as the two characters "\n". A file that does not
// load gets "<path>: cannot read outline" on err. Returns 0 when every file was
// printed, 1 when one did not load, 2 when no file was given.
int RunDumpCommand(const QStringList& paths, std::FILE* out = stdout, std::FILE* err = stderr);
