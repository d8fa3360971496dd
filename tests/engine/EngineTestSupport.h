#pragma once

// What the engine tests share: small file trees, fake tools, and archives read back with the real 7-Zip.

#include "BackupSet.h"
#include "TempHome.h"
#include "ToolTestSupport.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <ostream>

// The files of an archive as "7zz l -slt" lists them (folders left out), each with its deletion mark.
QMap<QString, bool> ArchiveFiles(const QString& archive);
BackupSet MakeSet(const QString& source, const QString& target, qint32 backupType);

// A figure of this process from /proc/self/status (VmRSS, VmHWM), in KiB, or -1.
qint64 StatusKib(const QByteArray& field);
// Starts the peak of resident memory afresh at what the process holds now; false where the kernel refuses.
bool ResetResidentPeak();

// A tree and one exclusion of every stored kind: a type, folder names (with a blank, in Cyrillic), a
// relative and an absolute path inside the source, and a folder elsewhere, which changes nothing.
QMap<QString, QByteArray> ExclusionTree();
void AddEveryKindOfExclusion(BackupSet& set);
inline const QStringList kFilesKeptByExclusions {
    "cache/kept", "keep.txt", "other/deep/cache/kept", "sub/more/cache/kept"};
