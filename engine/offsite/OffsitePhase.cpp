#include "OffsitePhase.h"

#include "Offsite.h"
#include "RestorePoints.h"

#include "ResourceIds.h"
#include "SetCollection.h"
#include "StringTable.h"
#include "UserFolders.h"

#include <QDir>

#include <QMutexLocker>

#include <algorithm>

QStringList ArchivesForPoint(const BackupSet& set, const QStringList& names, const std::optional<QString>& asOf)
{
    if (!asOf)
        return names;
    // An update archive holds every change since the full archive: its point needs the two of them alone.
    const QString prefix = set.arcName + QStringLiteral("_upd_");
    const QString suffix = QLatin1Char('.') + ArcTypeName(set);
    QList<RestorePoint> updates;
    QStringList full;
    for (const QString& name : names) {
        if (name.startsWith(prefix) && name.endsWith(suffix)) {
            RestorePoint point;
            point.kind = RestorePoint::Kind::Update;
            point.path = name;
            point.stamp = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
            updates.append(point);
        } else {
            full.append(name);
        }
    }
    // Newest first, as points are listed; the stamps sort as their times do.
    std::sort(
        updates.begin(), updates.end(), [](const RestorePoint& a, const RestorePoint& b) { return a.stamp > b.stamp; });
    const int index = PointAsOf(updates, *asOf);
    if (index >= 0)
        full.append(updates.at(index).path);
    return full;
}

std::unique_ptr<QTemporaryDir> NewOffsiteFetchFolder()
{
    QDir().mkpath(UserStateFolder());
    return std::make_unique<QTemporaryDir>(UserStateFolder() + QStringLiteral("/offsite-XXXXXX"));
}

JobResult FetchOffsiteArchivesJob(
    const BackupSet& set, const QString& folder, const JobContext& context, const std::optional<QString>& asOf)
{
    OffsiteOutcome listed;
    const QList<OffsiteFile> files = ListOffsiteArchives(set, &listed);
    if (!listed.ok())
        return JobFailure(set, JobOutcome::ToolFailed, listed.reason);
    if (files.isEmpty())
        return JobFailure(set, JobOutcome::PrepareFailed, LoadStringById(StringId::NoOffsiteArchives).arg(set.offsite));
    QStringList names;
    for (const OffsiteFile& file : files)
        names.append(file.name);
    names = ArchivesForPoint(set, names, asOf);
    const OffsiteOutcome fetched = FetchOffsiteFiles(set, names, folder, context);
    if (const auto stopped = JobStopped(set, context))
        return *stopped;
    if (!fetched.ok())
        return JobFailure(set, JobOutcome::ToolFailed, fetched.reason);
    JobResult done {JobOutcome::Done, set.name, 0, {}, {}};
    done.bytesWritten = fetched.bytesCopied;
    return done;
}

QString OffsiteTestAnswer(const QString& destination)
{
    QString problem;
    const std::optional<OffsiteTarget> target = ParseOffsiteTarget(destination, &problem);
    if (!target)
        return problem.isEmpty() ? LoadStringById(StringId::OffsiteNoneToTest) : problem;
    return TestOffsite(*target).reason;
}

void CopyOffsiteAfterRun(const BackupSet& set, const JobContext& context, JobResult& result)
{
    if (!result.succeeded() || set.offsite.trimmed().isEmpty())
        return;
    // Another set's copy under the same names there would be overwritten, or removed as an old chain.
    std::optional<QString> clash;
    {
        QMutexLocker lock(&backupSetsMutex());
        clash = OffsiteClashOf(set, backupSets);
    }
    if (clash) {
        result.offsiteFailure = LoadStringById(StringId::OffsiteClash).arg(*clash);
        return;
    }
    // The bar starts the second phase from nothing, under its own name.
    if (context.progress) {
        JobProgress start;
        start.percent = 0;
        start.offsite = true;
        start.setIndex = context.setIndex;
        start.setCount = context.setCount;
        context.progress(start);
    }
    const OffsiteOutcome outcome
        = set.backupType == MirrorCopying ? MirrorOffsite(set, context) : CopyArchivesOffsite(set, context);
    if (outcome.ok())
        result.offsiteCopied = true;
    else
        result.offsiteFailure = outcome.reason;
}
