#pragma once

// The two spellings of a folder the command builders need, whatever separators the user left at its end.

#include <QString>

// The folder without separators at its end; the root folder stays "/".
QString TrimmedFolder(const QString& folder);
// The folder ending in exactly one "/" ("/" for the root); empty stays empty, so it can never become the root.
QString FolderWithSeparator(const QString& folder);
// Relative paths would depend on the current folder, and rsync takes "name:path" for another machine.
bool IsUsablePath(const QString& path);
