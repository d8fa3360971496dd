#pragma once

// A mirror set's files as they were at an earlier time, from the versions its runs kept. The folder
// DEST/NAME.history/STAMP holds what the run at STAMP replaced or deleted, as it was before that run; so a file
// as of a time T is the one in the oldest version folder stamped after T that holds it, else the mirror's. A run
// leaves no trace of a file it only added: a file made after T still shows in the state as of T.

#include "ArchiveEntries.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// One entry of a mirror's state as of a time, and the folder it is copied from.
struct MirrorStateEntry
{
    enum class Kind
    {
        File,
        Folder,
        Link,
    };
    // Relative, with "/" between names.
    QString path;
    Kind kind = Kind::File;
    // The mirror folder or the version folder that holds it.
    QString origin;
};

// "DEST/NAME.history" for the mirror folder "DEST/NAME".
QString MirrorHistoryFolder(const QString& mirror);

// Every entry as of time, sorted by path, within paths (everything when empty). Nothing is ever read through a
// link: a link in a version folder or the mirror is an entry of its own, never a folder to look into, and a link
// or file planted as the history folder or a stamp folder is passed over. An entry below a file or link of the
// same state is left out. Empty with the reason in error when the mirror folder is not there.
QList<MirrorStateEntry> MirrorStateAsOf(
    const QString& mirror, const QDateTime& time, const QStringList& paths = {}, QString* error = nullptr);

// The versions of one file of the mirror (relative path), oldest first, as VersionsOf gives them: each kept
// version stamped with the second before the run that replaced it (restoring as of that stamp gives it), then the
// mirror's own, or its deletion, stamped now. Each version's point names the folder that holds it. Empty when
// neither the mirror nor any version holds it.
QList<FileVersion> MirrorVersionsOf(const QString& mirror, const QString& path, QString* error = nullptr);
