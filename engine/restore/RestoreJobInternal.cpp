// The small pieces every part of the restore job shares: paths as the archive names them, the chosen paths, and a
// tool run under the job's control.

#include "RestoreJobInternal.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace RestoreInternal {

JobResult failure(const QString& name, JobOutcome outcome, const QString& reason, int exitCode)
{
    return {outcome, name, exitCode, reason, {}};
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

bool entryExists(const QString& path)
{
    struct stat status;
    return ::lstat(encoded(path).constData(), &status) == 0;
}

// A path as the archive names it: relative, "/" between names, nothing above the source. Empty for one that
// is not (absolute, "..", or the source itself).
QString cleanRelative(const QString& path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return {};
    const QString clean = QDir::cleanPath(path);
    if (clean == QLatin1String(".") || clean == QLatin1String("..") || clean.startsWith(QLatin1String("../")))
        return {};
    return clean;
}

bool isWithin(const QString& path, const QStringList& chosen)
{
    if (chosen.isEmpty())
        return true;
    for (const QString& root : chosen) {
        if (path == root
            || (path.startsWith(root) && path.size() > root.size() && path.at(root.size()) == QLatin1Char('/')))
            return true;
    }
    return false;
}

// Whether the folder holds one of the chosen paths.
bool isAbove(const QString& folder, const QStringList& chosen)
{
    const QString prefix = folder + QLatin1Char('/');
    return std::any_of(chosen.cbegin(), chosen.cend(), [&](const QString& root) { return root.startsWith(prefix); });
}

// The chosen paths without those another chosen path holds.
QStringList outermost(const QStringList& paths)
{
    QStringList kept;
    for (const QString& path : paths) {
        const bool inside = std::any_of(paths.cbegin(), paths.cend(),
            [&](const QString& other) { return other != path && isWithin(path, {other}); });
        if (!inside && !kept.contains(path))
            kept.append(path);
    }
    return kept;
}

// What the messages call the point: its mirror folder, or its chain's full archive by name.
QString pointName(const RestorePoint& point)
{
    if (point.kind == RestorePoint::Kind::Mirror)
        return QFileInfo(point.path).fileName();
    return QFileInfo(point.fullArchive.isEmpty() ? point.path : point.fullArchive).completeBaseName();
}

// Makes a folder and those above it, and says why not in the system's words.
QString makePath(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    qsizetype at = clean.startsWith(QLatin1Char('/')) ? 1 : 0;
    while (at <= clean.size()) {
        qsizetype slash = clean.indexOf(QLatin1Char('/'), at);
        if (slash < 0)
            slash = clean.size();
        const QByteArray part = encoded(clean.left(slash));
        if (!part.isEmpty() && ::mkdir(part.constData(), 0777) != 0) {
            const int why = errno;
            struct stat status;
            if (why != EEXIST)
                return QString::fromLocal8Bit(std::strerror(why));
            if (::stat(part.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
                return QString::fromLocal8Bit(std::strerror(ENOTDIR));
        }
        at = slash + 1;
    }
    return {};
}

QString parentOf(const QString& relative)
{
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : relative.left(slash);
}

ToolRun runTool(const Command& command, const JobContext& context, const QString& name, const QString& target)
{
    ToolRun outcome;
    const RunResult run = RunJobTool(command, context);
    const RunControl::Reason stop = context.control ? context.control->stopReason() : RunControl::Reason::None;
    if (run.stopped || stop != RunControl::Reason::None) {
        outcome.failed = stop == RunControl::Reason::TimeLimit
            ? failure(name, JobOutcome::TimedOut,
                LoadStringById(StringId::RestoreTimedOut).arg(context.timeLimit.count()).arg(target))
            : failure(name, JobOutcome::Stopped, LoadStringById(StringId::RestoreStopped).arg(target));
        return outcome;
    }
    const QString tool = ToolName(command);
    if (run.exitSignal != 0) {
        outcome.failed
            = failure(name, JobOutcome::ToolFailed, LoadStringById(StringId::ToolKilled).arg(tool).arg(run.exitSignal));
    } else if (!run.error.isEmpty()) {
        outcome.failed
            = failure(name, JobOutcome::StartFailed, LoadStringById(StringId::ToolNotRun).arg(tool, run.error));
    }
    outcome.exitCode = run.exitCode;
    outcome.output = run.output + QLatin1Char('\n') + run.secondOutput;
    if (!outcome.failed)
        outcome.passwordTrouble = PasswordTroubleOf(run.exitCode, run.output, run.secondOutput);
    return outcome;
}

} // namespace RestoreInternal
