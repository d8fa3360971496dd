// Archives fetched back from the off-site folder for a restore when the local disk is gone: listed, copied
// under a temporary name, checked against what they held when they were copied there, with the kept chains.

#include "Offsite.h"

#include "OffsiteChecksums.h"
#include "OffsiteInternal.h"
#include "OffsiteStep.h"
#include "OffsiteTools.h"
#include "OffsiteTransports.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <algorithm>
#include <cerrno>
#include <cstring>

using namespace OffsiteInternal;

QList<OffsiteFile> ListOffsiteArchives(const BackupSet& set, OffsiteOutcome* outcome)
{
    OffsiteOutcome result;
    QList<OffsiteFile> archives;
    if (const auto target = targetOrFailure(set, result)) {
        RunControl control;
        OffsiteStep step(*target, nullptr, &control, std::chrono::seconds(0));
        const std::unique_ptr<OffsiteTransport> transport = MakeOffsiteTransport(step);
        if (transport->findTools(result)) {
            if (const auto listed = transport->list(result, false)) {
                const QString extension = ArcTypeName(set);
                for (const OffsiteFile& file : *listed) {
                    if (IsArchiveOfSet(file.name, set.arcName, extension))
                        archives.append(file);
                }
            }
        }
    }
    std::sort(
        archives.begin(), archives.end(), [](const OffsiteFile& a, const OffsiteFile& b) { return a.name < b.name; });
    if (outcome)
        *outcome = result;
    return archives;
}

OffsiteOutcome FetchOffsiteFiles(
    const BackupSet& set, const QStringList& names, const QString& localFolder, const JobContext& context)
{
    OffsiteOutcome outcome;
    const auto target = targetOrFailure(set, outcome);
    if (!target)
        return outcome;
    const QString extension = ArcTypeName(set);
    for (const QString& name : names) {
        if (!IsArchiveOfSet(name, set.arcName, extension))
            return OffsiteFailure(OffsiteCause::Other, LoadStringById(StringId::OffsiteNotOfSet).arg(name));
    }
    if (!QDir().mkpath(localFolder))
        return OffsiteFailure(OffsiteCause::NotWritable,
            LoadStringById(StringId::OffsiteNotWritable)
                .arg(localFolder, QString::fromLocal8Bit(std::strerror(errno))));
    OffsiteStep step(*target, &context, context.control, context.timeLimit);
    const std::unique_ptr<OffsiteTransport> transport = MakeOffsiteTransport(step);
    if (!transport->findTools(outcome))
        return outcome;
    const auto listed = transport->list(outcome, false);
    if (!listed)
        return outcome;
    const QMap<QString, qint64> there = sizesByName(*listed);
    qint64 bytes = 0;
    for (const QString& name : names) {
        if (!there.contains(name))
            return OffsiteFailure(
                OffsiteCause::Other, LoadStringById(StringId::OffsiteNotThere).arg(name, step.where()));
        bytes += there.value(name);
    }
    if (names.isEmpty())
        return outcome;
    step.startProgress(bytes);
    const QDir folder(localFolder);
    if (const auto failure = transport->fetch(names, localFolder, there, bytes))
        return *failure;
    // An archive that was copied there from here is checked against what it held then (rsync and rclone keep
    // its time): a copy damaged there is no archive to restore from.
    const OffsiteChecksums record = OffsiteChecksums::load(set.id);
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        const qint64 size = QFileInfo(path).size();
        if (size != there.value(name))
            return OffsiteFailure(OffsiteCause::Mismatch,
                LoadStringById(StringId::OffsiteFetchSize)
                    .arg(name, QString::number(size), QString::number(there.value(name))));
        if (const auto copied = record.sumsOf(name, path)) {
            const auto fetched = LocalChecksums(path, context.control);
            if (!fetched) {
                if (const auto stop = step.stoppedBeforeStart())
                    return *stop;
                return OffsiteFailure(OffsiteCause::NotWritable,
                    LoadStringById(StringId::OffsiteNotWritable)
                        .arg(localFolder, QString::fromLocal8Bit(std::strerror(errno))));
            }
            if (!(*fetched == *copied))
                return OffsiteFailure(
                    OffsiteCause::Mismatch, LoadStringById(StringId::OffsiteFetchDamaged).arg(name, step.where()));
        }
        ++outcome.filesCopied;
        outcome.bytesCopied += size;
    }
    // The chains kept there come too, so that a restore can reach their points.
    if (!transport->fetchHistory(set.arcName + QStringLiteral(".history"),
            folder.filePath(set.arcName + QStringLiteral(".history")), outcome))
        return outcome;
    step.finishProgress();
    return outcome;
}
