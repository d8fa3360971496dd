// The fetch job: the off-site copy's archives listed, and those a restore needs fetched and checked.

#include "FetchJob.h"

#include "JobChecks.h"
#include "Offsite.h"
#include "RestorePoints.h"

#include "ResourceIds.h"
#include "StringTable.h"

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

JobResult RunFetchJob(const FetchRequest& request, const JobContext& context)
{
    const BackupSet& set = request.set;
    OffsiteOutcome listed;
    const QList<OffsiteFile> files = ListOffsiteArchives(set, &listed);
    if (!listed.ok())
        return JobFailure(set, JobOutcome::ToolFailed, listed.reason);
    if (files.isEmpty())
        return JobFailure(set, JobOutcome::PrepareFailed, LoadStringById(StringId::NoOffsiteArchives).arg(set.offsite));
    QStringList names;
    for (const OffsiteFile& file : files)
        names.append(file.name);
    names = ArchivesForPoint(set, names, request.asOf);
    const OffsiteOutcome fetched = FetchOffsiteFiles(set, names, request.folder, context);
    if (const auto stopped = JobStopped(set, context))
        return *stopped;
    if (!fetched.ok())
        return JobFailure(set, JobOutcome::ToolFailed, fetched.reason);
    JobResult done {JobOutcome::Done, set.name, 0, {}, {}};
    done.bytesWritten = fetched.bytesCopied;
    return done;
}
