#pragma once

// Off-site copies through rsync over ssh: ssh never asks (batch mode; an unknown host key is refused), rsync runs
// inside the folder there, and checksums are made there, where the files are.

#include "OffsiteTransport.h"

class SshTransport : public OffsiteTransport
{
public:
    explicit SshTransport(OffsiteStep& step);

    bool findTools(OffsiteOutcome& outcome) override;
    bool makeFolder(OffsiteOutcome& outcome) override;
    // The folder at sshPath there (the destination's own when empty), with those above it.
    bool makeFolderAt(OffsiteOutcome& outcome, const QString& sshPath);
    bool remove(const QStringList& names, OffsiteOutcome& outcome) override;
    std::optional<QMap<QString, ThereSum>> checksumsThere(const QStringList& names, OffsiteOutcome& outcome) override;
    bool upload(const QList<ChainFile>& files, qint64 bytes, const QMap<QString, FileChecksums>& expected,
        OffsiteOutcome& outcome) override;
    std::optional<QStringList> differing(const QList<ChainFile>& files, OffsiteOutcome& outcome) override;
    Command copyCommand(const QString& local, const QString& name) const override;
    std::optional<OffsiteOutcome> fetch(const QStringList& names, const QString& localFolder,
        const QMap<QString, qint64>& there, qint64 bytes) override;

    Command sshCommand(const QString& remoteCommand) const;
    // rsync's options for every run: the path whole to the remote rsync, names as they are, ssh that never asks.
    QStringList rsyncOptions() const;
    // rsync reading from there: the paths it is given there are written so that it takes them literally.
    Command rsyncCommand(const QStringList& arguments, ProgressFormat progress = ProgressFormat::None) const;
    // rsync writing there, started inside the folder there, which must exist; "." or a plain name given by
    // insideLocation() is where it writes.
    Command rsyncIntoCommand(
        const QString& folder, const QStringList& arguments, ProgressFormat progress = ProgressFormat::None) const;
    QString insideLocation(const QString& name = QStringLiteral(".")) const;
    QString remotePathOf(const QString& name) const;
    // The folder there, or a file in it, as rsync reads from it.
    QString sendingLocation(const QString& name = QString()) const;

protected:
    Command listCommand() const override;
    std::optional<QList<OffsiteFile>> parseListing(const QString& output) const override;
    bool folderMissing(const RunResult& run, bool listing) const override;
    bool syncHistory(const QString& localHistory, const QString& remoteName, OffsiteOutcome& outcome) override;
    Command historyFetchCommand(const QString& remoteName, const QString& localHistory) const override;

private:
    QString m_ssh;
    QString m_rsync;
};
