#pragma once

// Scratch files that do not belong in the destination (the exclusion list 7-Zip reads) live in a folder
// of their own inside the system temporary folder: created with a unique random name and mode 0700, so
// nobody else can have made it first, and removed with the file.

#include <QString>

// The system temporary folder, without a trailing "/".
QString TempFolder();
// What a private folder's path looks like, for showing a command that is not run.
QString PrivateTempFolderPattern();
// Creates a new private folder in TempFolder() holding one new empty file named prefix + ".tmp", and
// returns the file's path; empty on failure, with the reason (naming the folder) in error.
QString MakeTempFileName(const QString& prefix, QString* error = nullptr);
// Removes a file made by MakeTempFileName and its private folder.
void RemoveTempFile(const QString& path);
