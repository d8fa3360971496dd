#pragma once

// The points a set can be restored to, and what each holds, read from the archives' listings without
// extracting anything. A chain rebuilds as of update archive k from the full archive with only that update
// archive over it: each update archive holds every change since the full archive, deletions as marks.

#include "BackupSet.h"
#include "EncryptedArchives.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

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

// Every item of the archive, in its order, from 7-Zip's technical listing; nothing, with the reason in
// error and its kind in failure, when 7-Zip cannot list it. An encrypted archive is opened with the password
// kept under passwordId (see RestorePoint). Only listings that succeeded are kept, each for the password it
// was made with.
std::optional<QList<ArchiveItem>> ListArchive(
    const QString& archive, QString* error = nullptr, quint32 passwordId = 0, ListFailure* failure = nullptr);
// The listing of the point's archive, or of its chain's full archive, opened with the password kept for its chain
// (ChainPasswordOf).
std::optional<QList<ArchiveItem>> ListPointArchive(
    const RestorePoint& point, bool chainFull, QString* error = nullptr, ListFailure* failure = nullptr);
// Tests only: forgets the listings ListArchive keeps, so that the next one reads the archive again.
void ForgetArchiveListings();

// The set's points, newest first: the mirror folder of a mirror set, else each update archive and the full
// archive of the current chain and of every chain kept in NAME.history. A chain that cannot be listed (another
// password, a damaged full archive) does not hide the others: its points come without a file count, marked
// with why (RestorePoint::unopened). Empty, with the reason of the newest chain in error, only when no chain
// could be listed. An encrypted set's archives are opened with its password from ChainPasswordOf; where it does
// not open a chain, each of its earlier passwords (EarlierPasswordsOf) is tried and the one that does is kept
// for that chain.
QList<RestorePoint> RestorePointsOf(const BackupSet& set, QString* error = nullptr, ListFailure* failure = nullptr);
// The same for a full archive found by its path, its update archives beside it by name
// ("NAME_upd_STAMP.EXT" beside "NAME.EXT") and the chains kept in "NAME.history" beside it. A password given is kept
// under kFoundArchivePasswordId for the points' later listings and restores (replacing one given before); without one
// an encrypted archive with hidden names fails with PasswordMissing.
QList<RestorePoint> RestorePointsOfArchive(const QString& fullArchive, QString* error = nullptr,
    const std::optional<QString>& password = std::nullopt, ListFailure* failure = nullptr);

// The stamp form of a time, and back; an invalid time for a text of another form.
QString RestoreStamp(const QDateTime& time);
QDateTime RestoreStampTime(const QString& stamp);

// The newest point at or before the stamp, or a date "YYYY-MM-DD" meaning the end of that day; an empty text
// means the newest point. -1 when none is, or the text is neither form.
int PointAsOf(const QList<RestorePoint>& points, const QString& stampOrDate);

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

// Every entry of the state as of points[index], sorted by path: the full archive's listing with that update
// archive's changes over it and its deleted files and folders gone. Nothing, with the reason in error, when
// an archive cannot be listed.
std::optional<QList<StateEntry>> StateAsOf(
    const QList<RestorePoint>& points, int index, QString* error = nullptr, ListFailure* failure = nullptr);

// The state from listings already made: the full archive's items with the update archive's (or none) applied;
// fromUpdate, when given, says for each entry whether the update archive holds it.
QList<StateEntry> StateWithOrigins(
    const QList<ArchiveItem>& full, const QList<ArchiveItem>* update, QList<bool>* fromUpdate = nullptr);

struct FileVersion
{
    RestorePoint point;
    bool deleted = false;
    qint64 size = -1;
    QDateTime modified;
};

// The versions of one file (path relative to the source), oldest first: one for each point where it appeared,
// changed or went (deleted). Empty when no point holds it, or with the reason in error when a listing failed.
QList<FileVersion> VersionsOf(
    const QList<RestorePoint>& points, const QString& path, QString* error = nullptr, ListFailure* failure = nullptr);
