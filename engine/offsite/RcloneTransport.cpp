#include "RcloneTransport.h"

#include "OffsiteInternal.h"
#include "OffsiteStep.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace OffsiteInternal;

RcloneTransport::RcloneTransport(OffsiteStep& step)
    : OffsiteTransport(step)
{
}

bool RcloneTransport::findTools(OffsiteOutcome& outcome)
{
    m_rclone = OffsiteToolPath(QStringLiteral("rclone"), &outcome);
    return !m_rclone.isEmpty();
}

bool RcloneTransport::makeFolder(OffsiteOutcome& outcome)
{
    const Command command = rcloneCommand({QStringLiteral("mkdir"), m_step.target().toolLocation()});
    const RunResult run = m_step.run(command);
    if (run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0)
        return true;
    outcome = m_step.failed(command, run);
    return false;
}

bool RcloneTransport::remove(const QStringList& names, OffsiteOutcome& outcome)
{
    if (names.isEmpty())
        return true;
    for (const QString& name : names) {
        const Command command = rcloneCommand({QStringLiteral("deletefile"), m_step.target().toolLocationOf(name)});
        const RunResult run = m_step.run(command);
        if (!(run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0)) {
            outcome = m_step.failed(command, run);
            return false;
        }
    }
    return true;
}

std::optional<QMap<QString, ThereSum>> RcloneTransport::checksumsThere(
    const QStringList& names, OffsiteOutcome& outcome)
{
    QMap<QString, ThereSum> sums;
    if (names.isEmpty())
        return sums;
    for (const QString& name : names) {
        const auto facts = rcloneFacts(name, outcome);
        if (!facts)
            return std::nullopt;
        ThereSum sum;
        sum.size = facts->size;
        sum.modified = facts->modified;
        for (const char* const kind : {"md5", "sha1"}) {
            if (sum.value.isEmpty() && facts->hashes.contains(QLatin1String(kind))) {
                sum.kind = QLatin1String(kind);
                sum.value = facts->hashes.value(sum.kind);
            }
        }
        sums.insert(name, sum);
    }
    return sums;
}

bool RcloneTransport::upload(const QList<ChainFile>& files, qint64 /*bytes*/,
    const QMap<QString, FileChecksums>& expected, OffsiteOutcome& outcome)
{
    for (const ChainFile& file : files) {
        if (!rcloneUpload(file, expected.value(file.name), outcome))
            return false;
    }
    return true;
}

std::optional<QStringList> RcloneTransport::differing(const QList<ChainFile>& /*files*/, OffsiteOutcome& /*outcome*/)
{
    // Each copy was checked there before it got its name; a file without a checksum there is judged by its time.
    return QStringList();
}

Command RcloneTransport::copyCommand(const QString& local, const QString& name) const
{
    return rcloneCommand({QStringLiteral("copyto"), local, m_step.target().toolLocationOf(name)});
}

std::optional<OffsiteOutcome> RcloneTransport::fetch(
    const QStringList& names, const QString& localFolder, const QMap<QString, qint64>& there, qint64 /*bytes*/)
{
    const QDir folder(localFolder);
    for (const QString& name : names) {
        const QString part = folder.filePath(rclonePartName(name));
        const Command fetch = rcloneCommand({QStringLiteral("copyto"), QStringLiteral("--stats"), QStringLiteral("1s"),
            QStringLiteral("--stats-one-line"), QStringLiteral("-v"), m_step.target().toolLocationOf(name), part});
        const RunResult run = m_step.run(fetch, there.value(name));
        if (!succeeded(run) || m_step.stopped(run)) {
            QFile::remove(part);
            return m_step.failed(fetch, run);
        }
        if (QFileInfo(part).size() != there.value(name)) {
            const qint64 size = QFileInfo(part).size();
            QFile::remove(part);
            return OffsiteFailure(OffsiteCause::Mismatch,
                LoadStringById(StringId::OffsiteFetchSize)
                    .arg(name, QString::number(size), QString::number(there.value(name))));
        }
        // rename(2) replaces an older copy of the same name in one step.
        if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(folder.filePath(name)).constData())
            != 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            QFile::remove(part);
            return OffsiteFailure(
                OffsiteCause::NotWritable, LoadStringById(StringId::OffsiteNotWritable).arg(localFolder, reason));
        }
    }
    return std::nullopt;
}

Command RcloneTransport::listCommand() const
{
    return rcloneCommand({QStringLiteral("lsjson"), QStringLiteral("--files-only"), QStringLiteral("--no-mimetype"),
        m_step.target().toolLocation()});
}

std::optional<QList<OffsiteFile>> RcloneTransport::parseListing(const QString& output) const
{
    bool ok = false;
    QList<OffsiteFile> files = ParseRcloneListing(output, &ok);
    if (ok)
        return files;
    return std::nullopt;
}

bool RcloneTransport::folderMissing(const RunResult& run, bool /*listing*/) const
{
    return run.exitCode == 3 && run.secondOutput.contains(QLatin1String("directory not found"));
}

bool RcloneTransport::syncHistory(const QString& localHistory, const QString& remoteName, OffsiteOutcome& outcome)
{
    const Command command = rcloneCommand(
        QStringList {QStringLiteral("sync"), QDir::cleanPath(localHistory), m_step.target().toolLocationOf(remoteName)}
        + rateLimit(true));
    const RunResult run = m_step.run(command);
    if (!succeeded(run) || m_step.stopped(run)) {
        outcome = m_step.failed(command, run);
        return false;
    }
    return true;
}

Command RcloneTransport::historyFetchCommand(const QString& remoteName, const QString& localHistory) const
{
    return rcloneCommand(
        QStringList {QStringLiteral("copy"), m_step.target().toolLocationOf(remoteName), QDir::cleanPath(localHistory)}
        + rateLimit(true));
}

Command RcloneTransport::rcloneCommand(const QStringList& arguments) const
{
    return makeCommand(m_rclone, RcloneOptions() + arguments);
}

std::optional<RcloneFileFacts> RcloneTransport::rcloneFacts(
    const QString& name, OffsiteOutcome& outcome, bool withHashes)
{
    QStringList arguments {QStringLiteral("lsjson"), QStringLiteral("--files-only"), QStringLiteral("--no-mimetype")};
    if (withHashes)
        arguments += {QStringLiteral("--hash-type"), QStringLiteral("md5"), QStringLiteral("--hash-type"),
            QStringLiteral("sha1")};
    arguments.append(m_step.target().toolLocationOf(name));
    const Command command = rcloneCommand(arguments);
    const RunResult run = m_step.run(command);
    if (!(run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0)) {
        outcome = m_step.failed(command, run);
        return std::nullopt;
    }
    return ParseRcloneFile(run.output);
}

bool RcloneTransport::rcloneUpload(const ChainFile& file, const FileChecksums& sums, OffsiteOutcome& outcome)
{
    const QString part = rclonePartName(file.name);
    const Command copy
        = rcloneCommand(QStringList {QStringLiteral("copyto"), QStringLiteral("--stats"), QStringLiteral("1s"),
                            QStringLiteral("--stats-one-line"), QStringLiteral("-v")}
            + rateLimit(true) + QStringList {file.path, m_step.target().toolLocationOf(part)});
    const RunResult copied = m_step.run(copy, file.size);
    if (!(copied.error.isEmpty() && copied.exitSignal == 0 && copied.exitCode == 0)) {
        outcome = m_step.failed(copy, copied);
        return false;
    }
    if (const auto stop = m_step.stopped(copied)) {
        outcome = *stop;
        return false;
    }
    const auto same = rcloneHolds(part, file, sums, outcome);
    if (!same)
        return false;
    if (const auto stop = m_step.stoppedBeforeStart()) {
        outcome = *stop;
        return false;
    }
    if (!*same) {
        outcome = OffsiteFailure(
            OffsiteCause::Mismatch, LoadStringById(StringId::OffsiteMismatch).arg(file.name, m_step.where()));
        return false;
    }
    // Without --ignore-times rclone takes a file of the same size and time there for this one and only
    // removes the new copy: a damaged copy would stay.
    const Command move = rcloneCommand({QStringLiteral("moveto"), QStringLiteral("--ignore-times"),
        m_step.target().toolLocationOf(part), m_step.target().toolLocationOf(file.name)});
    const RunResult moved = m_step.run(move);
    if (!(moved.error.isEmpty() && moved.exitSignal == 0 && moved.exitCode == 0)) {
        outcome = m_step.failed(move, moved);
        return false;
    }
    return true;
}

std::optional<bool> RcloneTransport::rcloneHolds(
    const QString& name, const ChainFile& local, const FileChecksums& sums, OffsiteOutcome& outcome)
{
    const auto facts = rcloneFacts(name, outcome);
    if (!facts)
        return std::nullopt;
    if (facts->size != local.size)
        return false;
    for (const char* const kind : {"md5", "sha1"}) {
        const QString hashName = QLatin1String(kind);
        if (facts->hashes.contains(hashName))
            return sums.ofKind(hashName) == facts->hashes.value(hashName);
    }
    return true;
}
