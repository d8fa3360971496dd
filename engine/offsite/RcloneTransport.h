#pragma once

// Off-site copies through rclone: each file is copied under a hidden name, checked there against the local
// checksums (or its size, where the remote keeps none) and only then given its name.

#include "OffsiteTools.h"
#include "OffsiteTransport.h"

class RcloneTransport : public OffsiteTransport
{
public:
    explicit RcloneTransport(OffsiteStep& step);

    bool findTools(OffsiteOutcome& outcome) override;
    bool makeFolder(OffsiteOutcome& outcome) override;
    bool remove(const QStringList& names, OffsiteOutcome& outcome) override;
    std::optional<QMap<QString, ThereSum>> checksumsThere(const QStringList& names, OffsiteOutcome& outcome) override;
    bool upload(const QList<ChainFile>& files, qint64 bytes, const QMap<QString, FileChecksums>& expected,
        OffsiteOutcome& outcome) override;
    std::optional<QStringList> differing(const QList<ChainFile>& files, OffsiteOutcome& outcome) override;
    Command copyCommand(const QString& local, const QString& name) const override;
    std::optional<OffsiteOutcome> fetch(const QStringList& names, const QString& localFolder,
        const QMap<QString, qint64>& there, qint64 bytes) override;

protected:
    Command listCommand() const override;
    std::optional<QList<OffsiteFile>> parseListing(const QString& output) const override;
    bool folderMissing(const RunResult& run, bool listing) const override;
    bool syncHistory(const QString& localHistory, const QString& remoteName, OffsiteOutcome& outcome) override;
    Command historyFetchCommand(const QString& remoteName, const QString& localHistory) const override;

private:
    Command rcloneCommand(const QStringList& arguments) const;
    // rclone: what the remote says of one file there, with the checksums it keeps when asked (some remotes,
    // the local one among them, read the whole file for them).
    std::optional<RcloneFileFacts> rcloneFacts(const QString& name, OffsiteOutcome& outcome, bool withHashes = true);
    // rclone: copies the file under a hidden name, checks it there against the local checksums and only then
    // gives it its name, replacing whatever had the name there.
    bool rcloneUpload(const ChainFile& file, const FileChecksums& sums, OffsiteOutcome& outcome);
    // rclone: whether the file there holds the local file's content: by checksum where the remote keeps one,
    // else by size.
    std::optional<bool> rcloneHolds(
        const QString& name, const ChainFile& local, const FileChecksums& sums, OffsiteOutcome& outcome);

    QString m_rclone;
};
