#pragma once

// A set's backups as they lie on disk, read from names and times alone (nothing is listed or opened): the
// current chain beside the set's archive, each chain kept in DEST/NAME.history/STAMP/, and for a mirror set the
// folders of the versions rsync replaced or deleted, DEST/NAME.history/STAMP/. Enough to count the points, apply
// a retention policy and remove what it drops; listing what a point holds is RestorePoints' work.

#include "ArchiveEntries.h"
#include "BackupSet.h"

#include <QDateTime>
#include <QList>
#include <QString>

// One archive of a chain, and the point it gives.
struct HistoryArchive
{
    QString path;
    // "YYYY-MM-DD_HHhMMmSSs": an update archive's from its name, a full archive's from its modification time.
    QString stamp;
    QDateTime time;
};

struct HistoryChain
{
    // The folder that holds its archives: the destination for the current chain, else its history folder.
    QString folder;
    // The history folder's name; empty for the current chain.
    QString stamp;
    // Its full archive; an empty path when the chain has none (an update archive alone restores nothing).
    HistoryArchive full;
    // Oldest first.
    QList<HistoryArchive> updates;

    bool isCurrent() const { return stamp.isEmpty(); }
    bool hasFull() const { return !full.path.isEmpty(); }
};

// A folder of a mirror set's history: the files one run replaced or deleted, in their places below it.
struct MirrorVersionFolder
{
    QString path;
    QString stamp;
    QDateTime time;
};

// A point as files: the archive (or mirror version folder) and the chain it belongs to.
struct HistoryPoint
{
    QString stamp;
    QDateTime time;
    QString path;
    bool full = false;
    // Index in SetHistory::chains; -1 for a mirror's version folder.
    int chain = -1;
};

struct SetHistory
{
    // DEST/NAME.history, whether or not it exists; empty when the set names no destination.
    QString folder;
    // The current chain first, then the kept chains newest first. A chain folder without a full archive or
    // update archive is not listed.
    QList<HistoryChain> chains;
    // A mirror set's version folders, newest first.
    QList<MirrorVersionFolder> mirrorVersions;

    // Every point newest first: each chain's update archives and full archive, or the mirror's version folders.
    QList<HistoryPoint> points() const;
    // How many points there are, and the oldest one's time (invalid when there is none).
    qsizetype pointCount() const;
    QDateTime oldestTime() const;
};

// The set's history. A link, a file or anything but a real folder where the history folder or a chain's folder
// belongs, and archives that are links, are passed over: someone else's, never the set's.
SetHistory ReadSetHistory(const BackupSet& set);
// The same for a full archive found by its path: its update archives beside it by name, and the chains in the
// history folder beside it ("NAME.history" beside "NAME.EXT").
SetHistory ReadArchiveHistory(const QString& fullArchive);
