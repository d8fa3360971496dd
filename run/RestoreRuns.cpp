#include "RestoreRuns.h"

#include "ArchivePasswords.h"
#include "ConsoleRunner.h"
#include "EncryptedArchives.h"
#include "JobRunner.h"
#include "LastRun.h"
#include "OffsitePhase.h"
#include "ProgressLine.h"
#include "ResourceIds.h"
#include "RestoreJob.h"
#include "RestorePoints.h"
#include "RunPasswords.h"
#include "StopSignals.h"
#include "StoreLock.h"
#include "StringTable.h"
#include "Terminal.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace {

// Words that scripts read: never translated.
QString kindWord(RestorePoint::Kind kind)
{
    switch (kind) {
    case RestorePoint::Kind::Full:
        return QStringLiteral("full");
    case RestorePoint::Kind::Update:
        return QStringLiteral("update");
    case RestorePoint::Kind::Mirror:
        return QStringLiteral("mirror");
    }
    return {};
}

// The points of the set or the archive named on the command line, and what the messages call it.
struct Chain
{
    QList<RestorePoint> points;
    QString name;
    // The set's source, for paths given in full; empty for an archive alone.
    QString source;
    // The folder the archives were fetched into from off site, removed when the chain is done with.
    std::shared_ptr<QTemporaryDir> fetched;
};

// A job on a runner of its own, its tools' output on the terminal as it comes and a progress line, stopped by
// SIGINT and SIGTERM: start starts it on the runner's thread, whenRefused gives the result when it could not start.
JobResult runOnTerminal(
    const std::function<bool(JobRunner&)>& start, const std::function<JobResult(JobRunner&)>& whenRefused)
{
    JobResult result;
    {
        JobRunner runner;
        runner.setOutputListener(
            [](const QByteArray& bytes, bool secondStream) { PrintToolOutput(bytes, secondStream); });
        runner.setKeepsLastRunOutput(false);
        const StopSignals stopSignals(runner);
        const ProgressLine progressLine(runner);
        result = RunOnWorker(
            runner, [&] { return start(runner); }, [&] { return whenRefused(runner); });
    }
    return result;
}

// --as-of as a point's stamp; empty for the newest point.
QString asOfStamp(const RunOptions& options)
{
    return options.asOf.isValid() ? options.asOf.toString(QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'")) : QString();
}

// Fetches the set's off-site archives into a private folder and reads the points from there; false, with the
// reason printed, when they could not be fetched.
bool readOffsiteChain(const BackupSet& set, const RunOptions& options, Chain& chain, QString& error)
{
    if (set.offsite.trimmed().isEmpty()) {
        error = LoadStringById(StringId::SetHasNoOffsite).arg(set.name);
        return false;
    }
    chain.fetched = NewOffsiteFetchFolder();
    if (!chain.fetched->isValid()) {
        error = chain.fetched->errorString();
        return false;
    }
    PrintLine(QStringLiteral("== ") + LoadStringById(StringId::FetchingOffsite).arg(set.name, set.offsite));
    // A restore needs only the archives of its point; a listing needs them all.
    std::optional<QString> asOf;
    if (options.mode == RunOptions::Mode::Restore)
        asOf = asOfStamp(options);
    const QString folder = chain.fetched->path();
    const JobResult result
        = runOnTerminal([&](JobRunner& runner) { return runner.startOffsiteFetch(set, folder, asOf); },
            [&](JobRunner& runner) { return runner.runOffsiteFetch(set, folder, asOf); });
    if (!result.succeeded()) {
        error = JobResultText(result);
        return false;
    }
    BackupSet fetched = set;
    fetched.target = chain.fetched->path();
    chain.points = RestorePointsOf(fetched, &error);
    return true;
}

// Nothing when the chain could be read; else the status to end with, its reason printed.
std::optional<ExitStatus> readChain(const RunOptions& options, Chain& chain)
{
    QString error;
    if (!options.archive.isEmpty()) {
        const QString archive = QFileInfo(options.archive).absoluteFilePath();
        chain.name = QFileInfo(archive).fileName();
        SetEarlierPasswords(kFoundArchivePasswordId, RunEarlierPasswords());
        chain.points = RestorePointsOfArchive(archive, &error, RunPassword());
    } else {
        const std::optional<BackupSet> set = SetNamed(options.names.constFirst());
        if (!set) {
            PrintErrorLine(LoadStringById(StringId::RunUnknownSet).arg(options.names.constFirst()));
            return ExitUsageError;
        }
        chain.name = set->name;
        chain.source = set->source;
        // Listing the points already needs it where the archives hide their names; the restore keeps it.
        ProvideSetPassword(*set);
        if (options.fromOffsite) {
            if (!readOffsiteChain(*set, options, chain, error)) {
                PrintErrorLine(error);
                return ExitSomeFailed;
            }
        } else {
            chain.points = RestorePointsOf(*set, &error);
        }
    }
    if (chain.points.isEmpty()) {
        PrintErrorLine(error.isEmpty() ? LoadStringById(StringId::NoRestorePoints).arg(chain.name) : error);
        return ExitSomeFailed;
    }
    return std::nullopt;
}

// Says once for each kept chain that could not be listed why, and for one that needs another password how to give
// it: its points are listed all the same, and a restore of one fails by that reason.
void printUnopenedChains(const Chain& chain)
{
    QStringList told;
    for (const RestorePoint& point : chain.points) {
        if (point.unopened == ListFailure::None || told.contains(point.fullArchive))
            continue;
        told.append(point.fullArchive);
        const bool password
            = point.unopened == ListFailure::WrongPassword || point.unopened == ListFailure::PasswordMissing;
        PrintErrorLine(password ? LoadStringById(StringId::ChainNeedsEarlierPassword)
                                      .arg(chain.name, QFileInfo(point.fullArchive).path(), point.problem)
                                : point.problem);
    }
}

// The paths relative to the source; a path given in full must lie inside the set's source.
std::optional<QStringList> relativePaths(const QStringList& paths, const Chain& chain)
{
    QStringList relative;
    const QString source = QDir::cleanPath(chain.source);
    for (const QString& path : paths) {
        if (!path.startsWith(QLatin1Char('/'))) {
            relative.append(path);
            continue;
        }
        if (source.isEmpty() || !path.startsWith(source + QLatin1Char('/'))) {
            PrintErrorLine(source.isEmpty() ? LoadStringById(StringId::RunPathOutsideNoSource).arg(path)
                                            : LoadStringById(StringId::RunPathOutsideSource).arg(path, source));
            return std::nullopt;
        }
        relative.append(path.mid(source.size() + 1));
    }
    return relative;
}

ExitStatus printPoints(const Chain& chain)
{
    printUnopenedChains(chain);
    for (const RestorePoint& point : chain.points) {
        PrintLine(QStringList {point.stamp, kindWord(point.kind), QString::number(point.size),
            QString::number(point.fileCount), point.path}
                      .join(QLatin1Char('\t')));
        // What a restore of the point would refuse is told here, before anyone relies on the point.
        for (const QString& path : point.refusedPaths)
            PrintErrorLine(LoadStringById(StringId::PointRefusedEntry).arg(point.stamp, ShownEntryPath(path)));
    }
    return ExitAllSucceeded;
}

ExitStatus printVersions(const Chain& chain, const QString& path)
{
    printUnopenedChains(chain);
    QString error;
    const QList<FileVersion> versions = VersionsOf(chain.points, path, &error);
    if (!error.isEmpty()) {
        PrintErrorLine(error);
        return ExitSomeFailed;
    }
    if (versions.isEmpty()) {
        PrintErrorLine(LoadStringById(StringId::NoVersions).arg(path, chain.name));
        return ExitSomeFailed;
    }
    // Newest first, as the points are listed.
    for (auto version = versions.crbegin(); version != versions.crend(); ++version) {
        const QString stamp = version->point.stamp;
        if (version->deleted)
            PrintLine(stamp + QStringLiteral("\tdeleted"));
        else
            PrintLine(QStringList {stamp, QString::number(version->size),
                version->modified.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))}
                          .join(QLatin1Char('\t')));
    }
    return ExitAllSucceeded;
}

ExitStatus restore(const Chain& chain, const RunOptions& options)
{
    const QString asOf = asOfStamp(options);
    // A mirror has one point, its folder; an earlier time is restored from the versions its runs kept.
    const bool mirrorAsOf
        = !asOf.isEmpty() && chain.points.size() == 1 && chain.points.constFirst().kind == RestorePoint::Kind::Mirror;
    const int index = mirrorAsOf ? 0 : PointAsOf(chain.points, asOf);
    if (index < 0) {
        PrintErrorLine(LoadStringById(StringId::NoPointAsOf).arg(asOf, chain.points.constLast().stamp));
        return ExitSomeFailed;
    }
    if (chain.points.at(index).unopened != ListFailure::None)
        printUnopenedChains({{chain.points.at(index)}, chain.name, {}, {}});
    const std::optional<QStringList> paths = relativePaths(options.paths, chain);
    if (!paths)
        return ExitUsageError;
    RestoreRequest request;
    request.points = chain.points;
    request.index = index;
    request.target = options.toOriginal ? chain.source : QFileInfo(options.restoreTo).absoluteFilePath();
    request.paths = *paths;
    request.overOriginal = options.toOriginal;
    request.removeOthers = options.removeOthers;
    if (mirrorAsOf)
        request.mirrorAsOf = RestoreStampTime(asOf);
    // Refused before any wait for the lock: nothing would come of it.
    if (const QString problem
        = options.toOriginal ? OriginalRestoreProblem(request.target) : RestoreTargetProblem(request.target);
        !problem.isEmpty()) {
        PrintErrorLine(problem);
        return ExitSomeFailed;
    }

    // A backup running meanwhile could be replacing the very archives read here.
    TakeStoreLock(false);
    PrintLine(QStringLiteral("== ")
        + LoadStringById(StringId::RestoreHeading)
              .arg(chain.name, mirrorAsOf ? asOf : chain.points.at(index).stamp, request.target));
    const JobResult result = runOnTerminal([&](JobRunner& runner) { return runner.startRestore(request); },
        [&](JobRunner& runner) { return runner.runRestore(request); });
    StoreLock::release();

    const QString text = JobResultText(result);
    PrintLine(QStringLiteral("== %1: %2")
                  .arg(chain.name, result.warning.isEmpty() ? text : text + QStringLiteral(": ") + result.warning));
    switch (ResultKindOf(result)) {
    case JobResultKind::Done:
        return ExitAllSucceeded;
    case JobResultKind::Warnings:
        return ExitDoneWithWarnings;
    default:
        return ExitSomeFailed;
    }
}

} // namespace

ExitStatus RunRestoreMode(const RunOptions& options)
{
    Chain chain;
    if (const std::optional<ExitStatus> failed = readChain(options, chain))
        return *failed;
    switch (options.mode) {
    case RunOptions::Mode::Points:
        return printPoints(chain);
    case RunOptions::Mode::Versions: {
        const std::optional<QStringList> path = relativePaths(options.paths, chain);
        return path ? printVersions(chain, path->constFirst()) : ExitUsageError;
    }
    case RunOptions::Mode::Restore:
        return restore(chain, options);
    default:
        return ExitUsageError;
    }
}
