#pragma once

// One walk of a set's source around a 7-Zip run, never following links: the pipes, sockets and devices a
// zip archive cannot hold (7-Zip would open a pipe and wait for ever for a writer), and each file's size and
// modification time, so that a file rewritten while 7-Zip read it is named afterwards.

#include "BackupSet.h"

#include <QHash>
#include <QStringList>

struct SourceScan
{
    // Pipes, sockets and devices, relative to the source.
    QStringList specialFiles;
    // Those of them the set's excluded types leave out anyway: no warning names them.
    QStringList specialFilesExcluded;

    struct Stamp
    {
        qint64 size = 0;
        qint64 modifiedNs = 0;
    };
    // Each regular file's stamp, by a hash of its path: a few bytes a file, whatever the length of the path.
    QHash<quint64, Stamp> stamps;
};

// Walks the source. Folders the set leaves out for certain (one folder inside it, or a plain folder name) are
// not entered; nothing else is judged by the set's exclusions, which 7-Zip applies itself.
SourceScan ScanSource(const BackupSet& set);

// The regular files whose size or modification time differs from the scan, relative to the source, sorted.
// Files that are gone are not among them: 7-Zip names those itself.
QStringList FilesChangedSince(const BackupSet& set, const SourceScan& before);

// The exclusion switches that keep 7-Zip from opening the special files of the scan, one path each, or why
// one cannot be left out alone: 7-Zip reads "*" and "?" in a name as wildcards, and such a name that also
// matches another path of the source would leave that path out too.
struct SpecialFileSwitches
{
    QStringList switches;
    QString unsafeName;
};
SpecialFileSwitches SpecialFileExclusions(const BackupSet& set, const SourceScan& scan);
