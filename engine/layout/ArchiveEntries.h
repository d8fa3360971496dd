#pragma once

// What a restore works with: the points a set can be restored to, the items of an archive's listing, the entries
// of the state a point rebuilds, and which of an archive's names a restore refuses. Plain values, so that the
// listing, the chain's state and a mirror's versions can share them without depending on each other.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Why a listing failed, for callers that ask for a password or report a wrong one.
enum class ListFailure
{
    None,
    // Missing, damaged, or 7-Zip could not run.
    Unreadable,
    // The archive is encrypted and no password is known for it.
    PasswordMissing,
    WrongPassword,
};

struct RestorePoint
{
    enum class Kind
    {
        Full,
        Update,
        Mirror,
    };
    Kind kind = Kind::Full;
    // The archive, or the mirror folder.
    QString path;
    // "YYYY-MM-DD_HHhMMmSSs": an update archive's from its name, the full archive's and the mirror folder's
    // from their modification time.
    QString stamp;
    QDateTime time;
    // The archive's size in bytes (the mirror folder's files together); -1 when unknown.
    qint64 size = -1;
    // How many files (not folders) the state it rebuilds holds; -1 when unknown.
    qint64 fileCount = -1;
    // The entries of that state a restore refuses (see StateEntry::refused).
    QStringList refusedPaths;
    // Whose kept password (ArchivePasswordOf) opens the archive: the encrypted set's id, or
    // kFoundArchivePasswordId for an archive found on disk that was given one; 0 when none is needed.
    quint32 passwordId = 0;
    // The full archive of the point's chain (for a full archive, its own path); empty for a mirror folder.
    QString fullArchive;
    // The name of the history folder that keeps the point's chain (NAME.history/STAMP/); empty for the current
    // chain.
    QString chain;
    // Why its chain could not be listed (fileCount is then unknown): the chain needs another password, or its
    // full archive is missing or damaged; problem says so in words. None when it was listed.
    ListFailure unopened = ListFailure::None;
    QString problem;
};

// One item of an archive's listing, as 7-Zip names it ("sub/name", relative to the source).
struct ArchiveItem
{
    QString path;
    bool isFolder = false;
    bool isLink = false;
    // A deletion mark of an update archive: the file or folder is gone since the full archive.
    bool deleted = false;
    // A zip update archive's mark of an entry gone since the full archive ("V" among its attributes): 7-Zip
    // writes it as an empty file or folder, and beside the entry that took its place when the kind changed.
    bool zipMark = false;
    qint64 size = 0;
    QDateTime modified;
};

// One file, folder or link of a state, its path relative to the source with "/" between names.
struct StateEntry
{
    QString path;
    bool isFolder = false;
    bool isLink = false;
    qint64 size = 0;
    QDateTime modified;
    // Where a link points, as stored.
    QString linkTarget;
    // Nothing is written for it: its name leads out of the folder it would be restored into (see
    // IsUnsafeEntryPath), or a folder above it in the state is a link or a file.
    bool refused = false;
};

// Whether an archive's name for an entry is not a plain relative path: absolute, empty, or with an empty,
// "." or ".." name in it. 7-Zip would write it elsewhere than it says; a restore writes nothing for it.
bool IsUnsafeEntryPath(const QString& path);
// An entry's path as a person may see it: control characters (a name meant to move a terminal's cursor)
// shown as "\xNN".
QString ShownEntryPath(const QString& path);

struct FileVersion
{
    RestorePoint point;
    bool deleted = false;
    qint64 size = -1;
    QDateTime modified;
};

// The stamp form of a time ("YYYY-MM-DD_HHhMMmSSs"), which names update archives, kept chains and a mirror's
// versions, and back; an invalid time for a text of another form.
QString RestoreStamp(const QDateTime& time);
QDateTime RestoreStampTime(const QString& stamp);
