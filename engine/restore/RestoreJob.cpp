// The restore job: 7-Zip (or rsync for a mirror) writes into a hidden staging folder beside the target,
// the links and folder times are put right from the listing, and one rename makes it the target.

#include "RestoreJob.h"

#include "IniFile.h"
#include "ResourceIds.h"
#include "RestoreJobInternal.h"
#include "StringTable.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

using namespace RestoreInternal;

QString RestoreTargetProblem(const QString& target)
{
    const QFileInfo info(target);
    if (!entryExists(target))
        return {};
    if (!info.isDir() || info.isSymLink())
        return LoadStringById(StringId::RestoreTargetNotFolder).arg(target);
    if (!QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return LoadStringById(StringId::RestoreTargetNotEmpty).arg(target);
    return {};
}

JobResult RunRestoreJob(const RestoreRequest& request, const JobContext& context)
{
    if (request.index < 0 || request.index >= request.points.size())
        return failure(QString(), JobOutcome::PrepareFailed, LoadStringById(StringId::RestoreNoPoint));
    const RestorePoint& point = request.points.at(request.index);
    const QString name = pointName(point);
    if (request.target.trimmed().isEmpty())
        return failure(name, JobOutcome::PrepareFailed, LoadStringById(StringId::PathNotFull));
    QString target = QDir::cleanPath(QFileInfo(request.target).absoluteFilePath());
    if (request.overOriginal) {
        if (const QString problem = OriginalRestoreProblem(target); !problem.isEmpty())
            return failure(name, JobOutcome::SourceMissing, problem);
        // A source that is itself a link is restored where it leads; links inside it are never followed.
        target = QFileInfo(target).canonicalFilePath();
    } else if (const QString problem = RestoreTargetProblem(target); !problem.isEmpty()) {
        return failure(name, JobOutcome::DestinationMissing, problem);
    }
    QStringList paths;
    for (const QString& path : request.paths) {
        const QString clean = cleanRelative(path);
        if (clean.isEmpty())
            return failure(name, JobOutcome::PrepareFailed, LoadStringById(StringId::RestorePathUnusable).arg(path));
        paths.append(clean);
    }
    // Found before anything is extracted, not only when the restored files are swapped in.
    if (const QString problem = request.overOriginal ? notFolderAbove(target, paths) : QString(); !problem.isEmpty())
        return failure(name, JobOutcome::PrepareFailed, problem);
    // The staging folder goes on the target's file system, so that the last step is a rename: beside a new
    // folder, inside the source.
    const QString parent = request.overOriginal ? target : QFileInfo(target).path();
    if (const QString why = makePath(parent); !why.isEmpty())
        return failure(
            name, JobOutcome::DestinationMissing, LoadStringById(StringId::RestoreFolderNotMade).arg(parent, why));
    RemoveRestoreLeftovers(parent);
    // Making and removing the staging folder inside the source is no change of the source's.
    const auto sourceTime = request.overOriginal ? folderTime(target) : std::nullopt;
    JobResult result = [&] {
        Staging staging(target, request.overOriginal);
        if (::mkdir(encoded(staging.path()).constData(), 0700) != 0)
            return failure(name, JobOutcome::PrepareFailed,
                LoadStringById(StringId::RestoreFolderNotMade).arg(staging.path(), systemError()));
        if (const QString why = writeMarker(staging.path()); !why.isEmpty())
            return failure(name, JobOutcome::PrepareFailed,
                LoadStringById(StringId::RestoreFolderNotMade).arg(staging.path(), why));
        return point.kind == RestorePoint::Kind::Mirror ? restoreMirror(request, context, target, paths, staging)
                                                        : restoreArchive(request, context, target, paths, staging);
    }();
    if (sourceTime)
        putTimeBack(*sourceTime);
    // The staging folder was private while it was written; the restored folder gets the usual rights.
    if (result.succeeded() && point.kind != RestorePoint::Kind::Mirror && !request.overOriginal) {
        // Not umask(): it would change the mask of every thread for a moment.
        ::chmod(encoded(target).constData(), 0777 & ~IniFile::currentUmask());
    }
    return result;
}
