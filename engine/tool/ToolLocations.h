#pragma once

// Where the outside tools are.

#include <QString>
#include <QStringList>

// Looks for 7zz beside the program, then at /usr/bin/7zz, then for a 7z at /usr/bin/7z that is 7-Zip itself (Debian
// 13's 7zip package has no 7zz); stores the result (maybe empty) in the settings' sevenZipPath.
bool Locate7Zip();
// The places Locate7Zip tries, in order.
QStringList SevenZipCandidates();
// Tests only: lets a test put its own 7-Zip (or a path where there is none) in place of the usual places; an empty
// list brings the usual places back.
void SetSevenZipCandidates(const QStringList& candidates);
// The first candidate that is an executable file, or empty.
QString FirstExecutable(const QStringList& candidates);
// The first candidate that is an executable 7-Zip: one named 7zz is taken as it is; any other must say it is 7-Zip
// when started without arguments and must not be p7zip, whose old 7z reads the same switches differently.
QString FirstSevenZip(const QStringList& candidates);
// Where rsync is expected (the settings' rsyncPath); whether it exists is the mirror job's test.
QString RobocopyPath();
// Whether the rsync the settings name is there to run.
bool RsyncAvailable();
