#pragma once

// The user's private scratch folder inside the system temporary folder: created with mode 0700 and
// used only when it is a real folder owned by the user and closed to everybody else.

#include <QString>

// Path without a trailing "/"; empty when no safe folder can be had.
QString TempFolder();
// Where TempFolder() is, without creating or checking it: for showing a command that is not run.
QString TempFolderPath();
// Creates a new, uniquely named empty file in TempFolder() whose name starts with the prefix; empty on failure.
QString MakeTempFileName(const QString& prefix);
