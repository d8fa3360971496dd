#include "SpaceCheck.h"

#include "ArchivePath.h"
#include "ReadableFigures.h"
#include "ResourceIds.h"
#include "SetHistory.h"
#include "Settings.h"
#include "StringTable.h"
#include "UpdateArchives.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace {

// The bytes of the files below the folder, links not followed and not counted.
qint64 folderBytes(const QString& folder)
{
    qint64 bytes = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        bytes += it.fileInfo().size();
    }
    return bytes;
}

qint64 archiveBytesNeeded(const BackupSet& set)
{
    const QString full = FullArchivePath(set);
    const bool hasFull = !full.isEmpty() && QFileInfo(full).isFile();
    // The choice the archive command makes: a chain at its length starts anew with a full archive.
    const bool updateMode = set.backupType != FullArchiving && hasFull && ChainRunCount(set) < Settings().chainLength;
    if (updateMode) {
        // Each update archive holds every change since the full archive, so the next is about the largest.
        qint64 largest = 0;
        for (const QString& file : FindOldFiles(set).updateArchives)
            largest = std::max(largest, QFileInfo(file).size());
        return largest;
    }
    if (hasFull)
        return QFileInfo(full).size();
    const qint64 source = folderBytes(set.source);
    return CompLevelSwitch(set) == QLatin1String("0") ? source : source / kFirstArchiveShrink;
}

qint64 mirrorBytesNeeded(const BackupSet& set)
{
    if (!set.exTypeList.isEmpty() || !set.exPathList.isEmpty())
        return 0;
    const QString mirror = MirrorFolder(set);
    const qint64 present = QFileInfo(mirror).isDir() ? folderBytes(mirror) : 0;
    return std::max<qint64>(0, folderBytes(set.source) - present);
}

// The oldest points a person could remove to make room, oldest first, "STAMP (SIZE)": never the newest point, a
// pinned one or the current chain's full archive. Only named: a run never removes a point for space.
QStringList oldestRemovablePoints(const BackupSet& set, qsizetype count)
{
    const SetHistory history = ReadSetHistory(set);
    QList<HistoryPoint> points = history.points();
    std::sort(
        points.begin(), points.end(), [](const HistoryPoint& a, const HistoryPoint& b) { return a.time < b.time; });
    if (!points.isEmpty())
        points.removeLast();
    QStringList named;
    for (const HistoryPoint& point : std::as_const(points)) {
        const bool currentFull = point.full && point.chain >= 0 && point.chain < history.chains.size()
            && history.chains.at(point.chain).isCurrent();
        if (currentFull || set.pinned.contains(point.stamp))
            continue;
        const QFileInfo file(point.path);
        const qint64 bytes = file.isDir() ? folderBytes(point.path) : file.size();
        named.append(point.stamp + QStringLiteral(" (") + FormatByteSize(bytes) + QLatin1Char(')'));
        if (named.size() == count)
            break;
    }
    return named;
}

} // namespace

qint64 SpaceNeeded(const BackupSet& set)
{
    return set.backupType == MirrorCopying ? mirrorBytesNeeded(set) : archiveBytesNeeded(set);
}

std::optional<JobResult> SpaceProblem(const BackupSet& set)
{
    const QStorageInfo storage(set.target);
    if (!storage.isValid() || !storage.isReady())
        return std::nullopt;
    const qint64 free = storage.bytesAvailable();
    // No archive or mirror copy of the source holds more than the source, which holds no more than its whole
    // file system: when that fits, the estimate and its walk over every file of a large source are not needed.
    const QStorageInfo source(set.source);
    if (source.isValid() && source.isReady() && source.bytesTotal() - source.bytesFree() <= free)
        return std::nullopt;
    const qint64 needed = SpaceNeeded(set);
    if (needed <= free)
        return std::nullopt;
    QString text
        = LoadStringById(StringId::SpaceTooShort).arg(set.target, FormatByteSize(needed), FormatByteSize(free));
    const QStringList removable = oldestRemovablePoints(set, 3);
    if (!removable.isEmpty())
        text += LoadStringById(StringId::SpaceOldestPoints).arg(removable.join(QStringLiteral(", ")));
    return JobFailure(set, JobOutcome::SpaceTooShort, text);
}
