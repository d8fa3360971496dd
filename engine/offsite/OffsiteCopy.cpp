// The copy of an archive set's chain off-site after a good run: every file there only whole and checked, and an
// old chain gone from there only after the new one is complete.

#include "Offsite.h"

#include "ArchivePath.h"
#include "FolderIdentity.h"
#include "FolderPaths.h"
#include "OffsiteChecksums.h"
#include "OffsiteInternal.h"
#include "OffsiteStep.h"
#include "OffsiteTools.h"
#include "OffsiteTransports.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "UpdateArchives.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>

using namespace OffsiteInternal;

namespace {

// The set's chain here: the full archive first, then the update archives in the order they were made.
QList<ChainFile> localChain(const BackupSet& set)
{
    const OldFiles found = FindOldFiles(set);
    QList<ChainFile> chain;
    for (const QString& path : found.paths()) {
        const QFileInfo info(path);
        chain.append({info.fileName(), path, info.size()});
    }
    return chain;
}

// The local folder an rclone remote's path is, following aliases and the remotes that wrap another (crypt,
// chunker, ...: their folder lies in the wrapped one's root); nothing for a remote elsewhere or unknown.
std::optional<QString> rcloneLocalFolder(const QJsonObject& remotes, QString remote, QString path)
{
    // A chain of aliases is short; a loop among them is no folder.
    for (int depth = 0; depth < 16; ++depth) {
        const QJsonObject entry = remotes.value(remote).toObject();
        const QString type = entry.value(QLatin1String("type")).toString();
        if (type == QLatin1String("local"))
            return QDir::cleanPath(QDir::current().absoluteFilePath(path.isEmpty() ? QStringLiteral(".") : path));
        const QString wrapped = entry.value(QLatin1String("remote")).toString();
        if (wrapped.isEmpty())
            return std::nullopt;
        // An alias names the same folder under its own root; other wrappers change the names below theirs.
        const QString below = type == QLatin1String("alias") && !path.isEmpty() ? QLatin1Char('/') + path : QString();
        const qsizetype colon = wrapped.indexOf(QLatin1Char(':'));
        const qsizetype slash = wrapped.indexOf(QLatin1Char('/'));
        if (colon <= 0 || (slash >= 0 && slash < colon)) {
            // A path of this computer: rclone takes it with the local back end.
            if (wrapped.startsWith(QLatin1Char(':')))
                return std::nullopt;
            return QDir::cleanPath(QDir::current().absoluteFilePath(wrapped + below));
        }
        remote = wrapped.left(colon);
        path = wrapped.mid(colon + 1) + below;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> OffsiteFolderInSourceProblem(const BackupSet& set)
{
    if (set.backupType == MirrorCopying || !IsUsablePath(set.source))
        return std::nullopt;
    const std::optional<OffsiteTarget> target = ParseOffsiteTarget(set.offsite);
    if (!target || target->isSsh())
        return std::nullopt;
    const QString rclone = QStandardPaths::findExecutable(QStringLiteral("rclone"));
    if (rclone.isEmpty())
        return std::nullopt;
    // The configuration holds the remotes' secrets too: its text goes into no log and no message.
    RunControl control;
    control.setDeadline(QDeadlineTimer(30000));
    Command dump;
    dump.program = rclone;
    dump.arguments = RcloneOptions() + QStringList {QStringLiteral("config"), QStringLiteral("dump")};
    dump.text = QStringLiteral("rclone config dump");
    // Nor into any file: the output goes nowhere but here.
    RunOutput secret;
    secret.file = RunOutput::File::None;
    const RunResult run = ExecuteCommand(dump, {}, &control, {}, secret);
    if (!succeeded(run))
        return std::nullopt;
    const QJsonObject remotes = QJsonDocument::fromJson(run.output.toUtf8()).object();
    const std::optional<QString> folder = rcloneLocalFolder(remotes, target->remote, target->path);
    if (!folder || !ArchiveFolderInSource(set.source, *folder))
        return std::nullopt;
    return LoadStringById(StringId::OffsiteFolderInSource).arg(target->toolLocation());
}

OffsiteOutcome CopyArchivesOffsite(const BackupSet& set, const JobContext& context)
{
    OffsiteOutcome outcome;
    const auto target = targetOrFailure(set, outcome);
    if (!target)
        return outcome;
    const QList<ChainFile> chain = localChain(set);
    const QString fullName = QFileInfo(FullArchivePath(set)).fileName();
    // Without the full archive here the chain is not whole: copying the rest and then removing what is not
    // here would take the good full archive there away.
    if (fullName.isEmpty() || chain.isEmpty() || chain.first().name != fullName)
        return OffsiteFailure(
            OffsiteCause::Other, LoadStringById(StringId::OffsiteNoFullArchive).arg(FullArchivePath(set)));
    // Archives copied into the source would be packed into every archive after them.
    if (const auto inSource = OffsiteFolderInSourceProblem(set))
        return OffsiteFailure(OffsiteCause::Unsafe, *inSource);
    OffsiteStep step(*target, &context, context.control, context.timeLimit);
    const std::unique_ptr<OffsiteTransport> transport = MakeOffsiteTransport(step);
    if (!transport->findTools(outcome))
        return outcome;
    if (const auto stop = step.stoppedBeforeStart())
        return *stop;
    const auto listed = transport->list(outcome, true);
    if (!listed)
        return outcome;
    const QMap<QString, qint64> there = sizesByName(*listed);

    // Every file of the chain there is checked at every run, by a checksum made there, against what the local
    // file held when it was copied: a copy damaged there since, even with its size and time kept, is found and
    // replaced. The local file as it is now is the measure only where nothing was recorded, and a local file
    // that changed since it was copied never replaces a copy there.
    OffsiteChecksums record = OffsiteChecksums::load(set.id);
    QMap<QString, FileChecksums> expected;
    const auto localSums = [&](const ChainFile& file) -> std::optional<FileChecksums> {
        const auto sums = LocalChecksums(file.path, context.control);
        if (!sums) {
            if (const auto stop = step.stoppedBeforeStart())
                outcome = *stop;
            else
                outcome = OffsiteFailure(OffsiteCause::Other,
                    LoadStringById(StringId::OffsiteDamagedHere).arg(file.name, step.where(), file.path));
        }
        return sums;
    };
    QStringList present;
    for (const ChainFile& file : chain) {
        if (there.value(file.name, -1) == file.size)
            present.append(file.name);
    }
    const auto sumsThere = transport->checksumsThere(present, outcome);
    if (!sumsThere)
        return outcome;
    QList<ChainFile> toCopy;
    QList<ChainFile> byRsync;
    for (const ChainFile& file : chain) {
        const std::optional<FileChecksums> recorded = record.sumsOf(file.name, file.path);
        if (!present.contains(file.name)) {
            toCopy.append(file);
            continue;
        }
        const ThereSum sum = sumsThere->value(file.name);
        if (sum.value.isEmpty()) {
            // No checksum there: rsync compares the two by reading both; rclone has the time the copy kept.
            if (step.isSsh()) {
                byRsync.append(file);
            } else if (sum.modified.isValid()
                && std::abs(sum.modified.msecsTo(QFileInfo(file.path).lastModified())) >= 1000) {
                toCopy.append(file);
            }
            continue;
        }
        std::optional<FileChecksums> sums = recorded;
        if (!sums && !(sums = localSums(file)))
            return outcome;
        if (sums->ofKind(sum.kind) == sum.value) {
            if (!recorded)
                record.record(file.name, file.path, *sums);
            continue;
        }
        toCopy.append(file);
    }
    const auto differing = transport->differing(byRsync, outcome);
    if (!differing)
        return outcome;
    for (const ChainFile& file : std::as_const(byRsync)) {
        if (differing->contains(file.name))
            toCopy.append(file);
    }
    // The full archive first: update archives there without their own full archive would be read against the
    // wrong one.
    std::stable_partition(
        toCopy.begin(), toCopy.end(), [&fullName](const ChainFile& file) { return file.name == fullName; });
    // What is sent is measured as it is now; only a local file that still holds what was copied before may
    // replace a copy there.
    qint64 bytes = 0;
    for (const ChainFile& file : std::as_const(toCopy)) {
        bytes += file.size;
        const auto sums = localSums(file);
        if (!sums)
            return outcome;
        const std::optional<FileChecksums> recorded = record.sumsOf(file.name, file.path);
        if (recorded && !(*recorded == *sums))
            return OffsiteFailure(OffsiteCause::Mismatch,
                LoadStringById(StringId::OffsiteDamagedHere).arg(file.name, step.where(), file.path));
        expected.insert(file.name, *sums);
    }

    step.startProgress(bytes);
    const bool fullToCopy = !toCopy.isEmpty() && toCopy.first().name == fullName;
    if (fullToCopy && !transport->upload({toCopy.first()}, toCopy.first().size, expected, outcome))
        return outcome;
    const QList<ChainFile> updates = toCopy.mid(fullToCopy ? 1 : 0);
    if (!updates.isEmpty()
        && !transport->upload(updates, bytes - (fullToCopy ? toCopy.first().size : 0), expected, outcome))
        return outcome;
    if (const auto stop = step.stoppedBeforeStart())
        return *stop;

    // Each copy made is checked again there; one that still differs is damage this run cannot repair.
    QStringList copiedNames;
    for (const ChainFile& file : std::as_const(toCopy))
        copiedNames.append(file.name);
    const auto sumsAfter = transport->checksumsThere(copiedNames, outcome);
    if (!sumsAfter)
        return outcome;
    QList<ChainFile> uncheckedCopies;
    for (const ChainFile& file : std::as_const(toCopy)) {
        const ThereSum sum = sumsAfter->value(file.name);
        const FileChecksums sums = expected.value(file.name);
        if (sum.value.isEmpty()) {
            uncheckedCopies.append(file);
        } else if ((sum.size >= 0 && sum.size != file.size) || sums.ofKind(sum.kind) != sum.value) {
            return OffsiteFailure(
                OffsiteCause::Mismatch, LoadStringById(StringId::OffsiteDamaged).arg(file.name, step.where()));
        }
        record.record(file.name, file.path, sums);
    }
    const auto unchecked = transport->differing(uncheckedCopies, outcome);
    if (!unchecked)
        return outcome;
    if (!unchecked->isEmpty())
        return OffsiteFailure(
            OffsiteCause::Mismatch, LoadStringById(StringId::OffsiteDamaged).arg(unchecked->first(), step.where()));
    QStringList chainNameList;
    for (const ChainFile& file : chain)
        chainNameList.append(file.name);
    record.keepOnly(chainNameList);
    // A record that cannot be written costs a reading of the local files at the next run, nothing more.
    record.save();

    // A chain that left the chain here for the history is in the history there before it goes from beside it.
    if (!transport->carryHistory(ChainHistoryFolder(set), set.arcName + QStringLiteral(".history"), outcome))
        return outcome;

    // Everything of the chain is to be there in full before anything of an old chain goes.
    const auto after = transport->list(outcome, false);
    if (!after)
        return outcome;
    const QMap<QString, qint64> nowThere = sizesByName(*after);
    QSet<QString> chainNames;
    for (const ChainFile& file : chain) {
        chainNames.insert(file.name);
        if (nowThere.value(file.name, -1) != file.size)
            return OffsiteFailure(
                OffsiteCause::Mismatch, LoadStringById(StringId::OffsiteMismatch).arg(file.name, step.where()));
    }
    const QString extension = ArcTypeName(set);
    QStringList old;
    for (const OffsiteFile& file : *after) {
        if (IsArchiveOfSet(file.name, set.arcName, extension) && !chainNames.contains(file.name))
            old.append(file.name);
        // rclone's hidden copies of the set's archives that never got their name.
        if (!step.isSsh() && file.name.startsWith(QLatin1Char('.'))
            && file.name.endsWith(QLatin1String(".velmora-part"))
            && IsArchiveOfSet(file.name.mid(1, file.name.size() - 14), set.arcName, extension))
            old.append(file.name);
    }
    if (!transport->remove(old, outcome))
        return outcome;
    step.finishProgress();
    for (const ChainFile& file : std::as_const(toCopy)) {
        ++outcome.filesCopied;
        outcome.bytesCopied += file.size;
    }
    return outcome;
}
