// A restore from a mirror set: rsync copies the mirror, or the mirror as of an earlier time from its kept versions,
// into the staging folder.

#include "RestoreJobInternal.h"

#include "JobChecks.h"
#include "MirrorCommand.h"
#include "MirrorVersions.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "TempFolder.h"
#include "ToolLocations.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

namespace RestoreInternal {

namespace {

// A mirror's files as of an earlier time: each entry comes from the mirror or from the version folder that
// holds it as it was then, one rsync run per folder with the list of what it gives, into the empty staging
// folder. The state is read from the disk without following any link, and rsync is given only the entries of
// it, never a folder to recurse into, so a link planted in the history is copied as a link and never entered.
// rsync copying from the mirror or its versions into the staging folder; 24, files that vanished from the mirror
// while rsync read it, is no failure.
ToolRun runRsync(Command& command, const JobContext& context, const QString& name, const QString& target)
{
    command.text = command.program + QLatin1Char(' ') + command.arguments.join(QLatin1Char(' '));
    command.progress = ProgressFormat::Rsync;
    ToolRun run = runTool(command, context, name, target);
    if (!run.failed && run.exitCode != 0 && run.exitCode != 24)
        run.failed = failure(name, JobOutcome::ToolFailed,
            LoadStringById(StringId::RestoreToolFailed).arg(ToolName(command)).arg(run.exitCode).arg(target),
            run.exitCode);
    return run;
}

JobResult restoreMirrorAsOf(const RestoreRequest& request, const JobContext& context, const QString& target,
    const QStringList& paths, Staging& staging)
{
    const RestorePoint& point = request.points.at(request.index);
    const QString name = pointName(point);
    QString error;
    const QList<MirrorStateEntry> state = MirrorStateAsOf(point.path, request.mirrorAsOf, paths, &error);
    if (!error.isEmpty())
        return failure(name, JobOutcome::SourceMissing, error);
    const QString asOf = RestoreStamp(request.mirrorAsOf);
    QSet<QString> held;
    for (const MirrorStateEntry& entry : state)
        held.insert(entry.path);
    for (const QString& path : paths) {
        if (!held.contains(path))
            return failure(
                name, JobOutcome::SourceMissing, LoadStringById(StringId::RestorePathMissing).arg(path, asOf));
    }
    if (state.isEmpty() && !paths.isEmpty())
        return failure(name, JobOutcome::SourceMissing, LoadStringById(StringId::RestoreNoPoint));
    // The mirror first, then the versions: no two give the same entry, so the order only decides who makes a
    // folder that several give files into, and its time is set last from the folder that holds it.
    QStringList origins;
    QHash<QString, QByteArray> lists;
    for (const MirrorStateEntry& entry : state) {
        if (!lists.contains(entry.origin))
            origins.append(entry.origin);
        lists[entry.origin] += encoded(entry.path) + '\0';
    }
    int exitCode = 0;
    for (const QString& origin : std::as_const(origins)) {
        QString why;
        const QString listFile = MakeTempFileName(QStringLiteral("velmora-mirror-files"), &why);
        if (listFile.isEmpty())
            return failure(name, JobOutcome::PrepareFailed, why);
        const auto removeList = qScopeGuard([&listFile] { RemoveTempFile(listFile); });
        QFile list(listFile);
        if (!list.open(QIODevice::WriteOnly) || list.write(lists.value(origin)) != lists.value(origin).size()
            || !list.flush())
            return failure(name, JobOutcome::PrepareFailed,
                LoadStringById(StringId::RestoreFolderNotMade).arg(listFile, list.errorString()));
        list.close();
        Command command;
        command.program = RobocopyPath();
        // With a list -a does not recurse: only the listed entries are copied, their folders made as needed.
        command.arguments = {QStringLiteral("-a"), QStringLiteral("--info=progress2"), QStringLiteral("--from0"),
            QStringLiteral("--files-from=") + listFile, origin + QLatin1Char('/'), staging.path() + QLatin1Char('/')};
        const ToolRun run = runRsync(command, context, name, target);
        if (run.failed)
            return *run.failed;
        exitCode = std::max(exitCode, run.exitCode);
    }
    const auto copyTime = [&staging](const QString& from, const QString& relative) {
        struct stat status;
        if (::lstat(encoded(from).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
            return;
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        const QString to = relative.isEmpty() ? staging.path() : staging.path() + QLatin1Char('/') + relative;
        ::utimensat(AT_FDCWD, encoded(to).constData(), times, AT_SYMLINK_NOFOLLOW);
    };
    for (const MirrorStateEntry& entry : state) {
        if (entry.kind == MirrorStateEntry::Kind::Folder)
            copyTime(entry.origin + QLatin1Char('/') + entry.path, entry.path);
    }
    copyTime(point.path, {});
    // The staging folder was made private; the restored folder gets the mirror's rights, as rsync gives them
    // when it copies the mirror whole.
    if (struct stat root; ::lstat(encoded(point.path).constData(), &root) == 0 && S_ISDIR(root.st_mode))
        ::chmod(encoded(staging.path()).constData(), root.st_mode & 07777);
    if (context.copying)
        context.copying();
    qint64 trashed = 0;
    if (const QString placeError = placeRestored(request, staging, target, paths, &trashed); !placeError.isEmpty())
        return failure(name, JobOutcome::PlaceFailed, placeError);
    JobResult done {JobOutcome::Done, name, exitCode, {}, {}};
    if (exitCode != 0)
        done.warning = LoadStringById(StringId::FilesVanished);
    if (trashed > 0)
        done.note = LoadStringById(StringId::RestoreTrashedNote).arg(trashed);
    return done;
}

} // namespace

JobResult restoreMirror(const RestoreRequest& request, const JobContext& context, const QString& target,
    const QStringList& paths, Staging& staging)
{
    const RestorePoint& point = request.points.at(request.index);
    const QString name = pointName(point);
    if (request.mirrorAsOf.isValid()) {
        if (!RsyncAvailable())
            return failure(name, JobOutcome::ToolMissing, LoadStringById(StringId::RsyncMissing));
        return restoreMirrorAsOf(request, context, target, paths, staging);
    }
    if (!RsyncAvailable())
        return failure(name, JobOutcome::ToolMissing, LoadStringById(StringId::RsyncMissing));
    if (!QFileInfo(point.path).isDir())
        return failure(name, JobOutcome::SourceMissing, LoadStringById(StringId::RestoreMirrorMissing).arg(point.path));
    for (const QString& path : paths) {
        if (!entryExists(point.path + QLatin1Char('/') + path))
            return failure(
                name, JobOutcome::SourceMissing, LoadStringById(StringId::RestorePathMissing).arg(path, point.stamp));
    }
    Command command;
    command.program = RobocopyPath();
    // Into the empty staging folder, so nothing is ever deleted; "/./" marks where the kept path starts.
    command.arguments = {QStringLiteral("-a"), QStringLiteral("--info=progress2")};
    if (paths.isEmpty()) {
        command.arguments.append(point.path + QLatin1Char('/'));
    } else {
        command.arguments.append(QStringLiteral("--relative"));
        for (const QString& path : paths)
            command.arguments.append(point.path + QStringLiteral("/./") + path);
    }
    command.arguments.append(staging.path() + QLatin1Char('/'));
    const ToolRun run = runRsync(command, context, name, target);
    if (run.failed)
        return *run.failed;
    CopyFolderTimes(point.path, staging.path());
    if (context.copying)
        context.copying();
    qint64 trashed = 0;
    if (const QString error = placeRestored(request, staging, target, paths, &trashed); !error.isEmpty())
        return failure(name, JobOutcome::PlaceFailed, error);
    JobResult done {JobOutcome::Done, name, run.exitCode, {}, {}};
    if (run.exitCode != 0)
        done.warning = LoadStringById(StringId::FilesVanished);
    if (trashed > 0)
        done.note = LoadStringById(StringId::RestoreTrashedNote).arg(trashed);
    return done;
}

} // namespace RestoreInternal
