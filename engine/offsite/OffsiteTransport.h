#pragma once

// What an off-site destination is asked to do, whatever carries it: list the folder there, make it, copy files
// into it under a temporary name renamed when whole, check and remove them there, and bring files and the kept
// history back. SshTransport (rsync over ssh) and RcloneTransport (rclone) carry it out; MakeOffsiteTransport
// (OffsiteTransports.h) picks one by the target's kind.

#include "ConsoleRunner.h"
#include "OffsiteChecksums.h"
#include "OffsiteOutcome.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

class OffsiteStep;

// What the remote says of a file there.
struct ThereSum
{
    qint64 size = -1;
    QDateTime modified;
    // The checksum and its kind ("md5", "sha1"); empty where the remote cannot tell.
    QString kind;
    QString value;
};

// A local file of the chain.
struct ChainFile
{
    QString name;
    QString path;
    qint64 size = 0;
};

class OffsiteTransport
{
public:
    virtual ~OffsiteTransport() = default;
    OffsiteTransport(const OffsiteTransport&) = delete;
    OffsiteTransport& operator=(const OffsiteTransport&) = delete;

    // Finds the programs this kind of destination needs.
    virtual bool findTools(OffsiteOutcome& outcome) = 0;
    // The files in the folder there; a missing folder is made when asked, else listed as empty.
    std::optional<QList<OffsiteFile>> list(OffsiteOutcome& outcome, bool makeMissing);
    virtual bool makeFolder(OffsiteOutcome& outcome) = 0;
    // Removes the named files there and no other.
    virtual bool remove(const QStringList& names, OffsiteOutcome& outcome) = 0;
    // What the remote says each named file there holds: a checksum where it can tell, else the file's time
    // (rclone) or nothing (ssh). A file it cannot read gets neither.
    virtual std::optional<QMap<QString, ThereSum>> checksumsThere(const QStringList& names, OffsiteOutcome& outcome)
        = 0;
    // Copies the files into the folder there (bytes, all of them together, for the progress), each arriving under
    // a hidden name and given its own only when whole; expected holds what each local file held when measured.
    virtual bool upload(const QList<ChainFile>& files, qint64 bytes, const QMap<QString, FileChecksums>& expected,
        OffsiteOutcome& outcome)
        = 0;
    // The names of the files there that differ from the local ones, found without changing anything, for files
    // the remote gave no checksum of: rsync reads both; a copy rclone made was checked before it got its name.
    virtual std::optional<QStringList> differing(const QList<ChainFile>& files, OffsiteOutcome& outcome) = 0;
    // The command that copies a local file there under the name.
    virtual Command copyCommand(const QString& local, const QString& name) const = 0;
    // Fetches the named files there into the local folder; there holds their sizes there, bytes their sum. The
    // failure, or nothing.
    virtual std::optional<OffsiteOutcome> fetch(
        const QStringList& names, const QString& localFolder, const QMap<QString, qint64>& there, qint64 bytes)
        = 0;

    // Makes the history folder there (remoteName in the destination) the same as the one here: the points kept
    // here since arrive, and a point removed here goes there too, at this run and never sooner. Without a history
    // folder here nothing there is touched: a disk not mounted, or a link planted in its place, must not empty it.
    bool carryHistory(const QString& localHistory, const QString& remoteName, OffsiteOutcome& outcome);
    // Fetches the history folder there (remoteName) into localHistory, for a restore from a kept point. Only
    // folders and plain files come: whatever else is there is someone else's. No history there is no failure.
    bool fetchHistory(const QString& remoteName, const QString& localHistory, OffsiteOutcome& outcome);

protected:
    explicit OffsiteTransport(OffsiteStep& step);

    virtual Command listCommand() const = 0;
    // The files in the listing's output; nothing when it is no listing.
    virtual std::optional<QList<OffsiteFile>> parseListing(const QString& output) const = 0;
    // Whether the tool failed because the folder there is missing: the destination's own when listing, else
    // the history folder fetched.
    virtual bool folderMissing(const RunResult& run, bool listing) const = 0;
    // Makes the history folder there the same as the local one, which is a real folder.
    virtual bool syncHistory(const QString& localHistory, const QString& remoteName, OffsiteOutcome& outcome) = 0;
    virtual Command historyFetchCommand(const QString& remoteName, const QString& localHistory) const = 0;

    OffsiteStep& m_step;
};
