#pragma once

// The points a set can be restored to, and what each holds, read from the archives' listings without
// extracting anything. A chain rebuilds as of update archive k from the full archive with only that update
// archive over it: each update archive holds every change since the full archive, deletions as marks.

#include "ArchiveEntries.h"
#include "BackupSet.h"
#include "EncryptedArchives.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

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

// The newest point at or before the stamp, or a date "YYYY-MM-DD" meaning the end of that day; an empty text
// means the newest point. -1 when none is, or the text is neither form.
int PointAsOf(const QList<RestorePoint>& points, const QString& stampOrDate);

// Every entry of the state as of points[index], sorted by path: the full archive's listing with that update
// archive's changes over it and its deleted files and folders gone. Nothing, with the reason in error, when
// an archive cannot be listed.
std::optional<QList<StateEntry>> StateAsOf(
    const QList<RestorePoint>& points, int index, QString* error = nullptr, ListFailure* failure = nullptr);

// The state from listings already made: the full archive's items with the update archive's (or none) applied;
// fromUpdate, when given, says for each entry whether the update archive holds it.
QList<StateEntry> StateWithOrigins(
    const QList<ArchiveItem>& full, const QList<ArchiveItem>* update, QList<bool>* fromUpdate = nullptr);

// The versions of one file (path relative to the source), oldest first: one for each point where it appeared,
// changed or went (deleted). Empty when no point holds it, or with the reason in error when a listing failed.
QList<FileVersion> VersionsOf(
    const QList<RestorePoint>& points, const QString& path, QString* error = nullptr, ListFailure* failure = nullptr);
