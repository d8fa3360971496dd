// Off-site copies through rsync over ssh and rclone. Every file of a chain reaches its final name there only
// whole and checked, and an old chain goes there only after the new one is complete.

#include "Offsite.h"

#include "ArchivePath.h"
#include "ChainHistory.h"
#include "FolderIdentity.h"
#include "LastRun.h"
#include "MirrorCommand.h"
#include "OffsiteChecksums.h"
#include "OffsiteTools.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "TempFolder.h"
#include "ToolProgress.h"
#include "UpdateArchives.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// rsync keeps an interrupted file here, in the destination folder, and resumes it on the next run.
const QString kPartialDir = QStringLiteral(".velmora-partial");

QString shownArgument(const QString& argument)
{
    const bool plain = !argument.isEmpty() && std::none_of(argument.cbegin(), argument.cend(), [](QChar c) {
        return c.isSpace() || c == QLatin1Char('"') || c == QLatin1Char('\'');
    });
    return plain ? argument : QLatin1Char('"') + argument + QLatin1Char('"');
}

Command makeCommand(
    const QString& program, const QStringList& arguments, ProgressFormat progress = ProgressFormat::None)
{
    Command command;
    command.program = program;
    command.arguments = arguments;
    command.progress = progress;
    QStringList shown {shownArgument(program)};
    for (const QString& argument : arguments)
        shown.append(shownArgument(argument));
    command.text = shown.join(QLatin1Char(' '));
    return command;
}

// rsync's itemized changes name a file sent ("<f") or received (">f") after eleven letters and a blank.
QStringList transferredNames(const QString& output)
{
    QStringList names;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.size() > 12 && (line.startsWith(QLatin1String("<f")) || line.startsWith(QLatin1String(">f")))
            && line.at(11) == QLatin1Char(' '))
            names.append(line.mid(12));
    }
    return names;
}

// A limit on the copies' rate in KiB/s, for tests that need a copy slow enough to interrupt half-way.
QStringList rateLimit(bool forRclone)
{
    bool ok = false;
    const int limit = qEnvironmentVariableIntValue("VELMORA_OFFSITE_BWLIMIT", &ok);
    if (!ok || limit <= 0)
        return {};
    if (forRclone)
        return {QStringLiteral("--bwlimit"), QString::number(limit) + QLatin1Char('K')};
    return {QStringLiteral("--bwlimit=") + QString::number(limit)};
}

QString rclonePartName(const QString& name)
{
    return QLatin1Char('.') + name + QStringLiteral(".velmora-part");
}

bool succeeded(const RunResult& run)
{
    return run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0;
}

QString machineId()
{
    QFile file(QStringLiteral("/etc/machine-id"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).trimmed();
}

bool isLoopback(const QString& host)
{
    return host == QLatin1String("localhost") || host.startsWith(QLatin1String("127.")) || host == QLatin1String("::1");
}

// What the remote says of a file there.
struct ThereSum
{
    qint64 size = -1;
    QDateTime modified;
    // The checksum and its kind ("md5", "sha1"); empty where the remote cannot tell.
    QString kind;
    QString value;
};

// A local file of the chain.
struct ChainFile
{
    QString name;
    QString path;
    qint64 size = 0;
};

// One off-site step: finds its tools, runs them under the job's control with their output in the job's log,
// and reports how far it is over all its copies together.
class OffsiteStep
{
public:
    OffsiteStep(const OffsiteTarget& target, const JobContext* context, const RunControl* control,
        std::chrono::seconds timeLimit)
        : m_target(target)
        , m_context(context)
        , m_control(control)
        , m_timeLimit(timeLimit)
    {
        m_clock.start();
        if (m_context && m_context->progress) {
            m_meter.emplace(
                [this](const JobProgress& progress) {
                    JobProgress marked = progress;
                    marked.offsite = true;
                    m_context->progress(marked);
                },
                m_context->setIndex, m_context->setCount, m_context->progressInterval);
        }
    }

    const OffsiteTarget& target() const { return m_target; }
    bool isSsh() const { return m_target.isSsh(); }
    QString where() const { return OffsiteWhere(m_target); }

    // Finds the programs this kind of destination needs.
    bool findTools(OffsiteOutcome& outcome)
    {
        if (isSsh()) {
            m_ssh = OffsiteToolPath(QStringLiteral("ssh"), &outcome);
            if (m_ssh.isEmpty())
                return false;
            m_rsync = OffsiteToolPath(QStringLiteral("rsync"), &outcome);
            return !m_rsync.isEmpty();
        }
        m_rclone = OffsiteToolPath(QStringLiteral("rclone"), &outcome);
        return !m_rclone.isEmpty();
    }

    void startProgress(qint64 totalBytes)
    {
        m_totalBytes = totalBytes;
        m_bytesBefore = 0;
        if (m_meter)
            m_meter->start();
    }
    void finishProgress()
    {
        if (m_meter) {
            ToolReading done;
            done.percent = 100;
            done.bytesDone = m_totalBytes > 0 ? m_totalBytes : -1;
            done.bytesTotal = m_totalBytes > 0 ? m_totalBytes : -1;
            m_meter->update(done, m_clock.elapsed());
            m_meter->finish();
        }
    }

    // Runs the command; bytes is what it copies, counted in the step's progress. With ownFigures the tool's
    // own figures are the step's progress (one run that does all of the step).
    RunResult run(const Command& command, qint64 bytes = 0, bool ownFigures = false)
    {
        const bool counted = m_meter && ((bytes > 0 && m_totalBytes > 0) || ownFigures);
        auto report = [this, bytes, ownFigures](int percent, qint64 done, const QString& file) {
            if (ownFigures) {
                ToolReading reading;
                reading.percent = percent;
                reading.bytesDone = done;
                reading.currentFile = file;
                m_meter->update(reading, m_clock.elapsed());
                return;
            }
            ToolReading overall;
            const qint64 callDone = done >= 0 ? std::min(done, bytes) : percent >= 0 ? bytes * percent / 100 : 0;
            overall.bytesDone = m_bytesBefore + callDone;
            overall.bytesTotal = m_totalBytes;
            overall.percent = int(std::min<qint64>(overall.bytesDone * 100 / m_totalBytes, 99));
            overall.currentFile = file;
            m_meter->update(overall, m_clock.elapsed());
        };
        RunLineObserver lines;
        RunProgressObserver progress;
        if (counted && command.progress == ProgressFormat::Rsync) {
            progress = [&report](const ToolReading& reading, qint64) {
                report(reading.percent, reading.bytesDone, reading.currentFile);
            };
        } else if (counted) {
            // rclone reports on its error output, one line a second.
            lines = [&report](QStringView line, bool secondStream) {
                const int percent = secondStream ? RclonePercent(line) : -1;
                if (percent >= 0)
                    report(percent, -1, {});
            };
        }
        RunResult result = ExecuteCommand(command, lines, m_control, progress);
        if (counted)
            m_bytesBefore += bytes;
        if (!result.error.isEmpty()) {
            result.output.clear();
            result.secondOutput.clear();
        }
        if (m_context)
            AppendLastRunTexts(m_context->logHeading, {result.output, result.secondOutput, result.error});
        return result;
    }

    // The outcome of a run that ended by the control, else nothing.
    std::optional<OffsiteOutcome> stopped(const RunResult& run) const
    {
        const RunControl::Reason reason = m_control ? m_control->stopReason() : RunControl::Reason::None;
        if (reason == RunControl::Reason::TimeLimit)
            return OffsiteFailure(
                OffsiteCause::TimedOut, LoadStringById(StringId::OffsiteTimedOut).arg(m_timeLimit.count()));
        if (reason == RunControl::Reason::Asked || run.stopped)
            return OffsiteFailure(OffsiteCause::Stopped, LoadStringById(StringId::OffsiteStopped));
        return std::nullopt;
    }
    std::optional<OffsiteOutcome> stoppedBeforeStart() const { return stopped(RunResult()); }

    // Why a run failed: the control, or the tool's words.
    OffsiteOutcome failed(const Command& command, const RunResult& run) const
    {
        if (const auto stop = stopped(run))
            return *stop;
        return ClassifyOffsiteFailure(QFileInfo(command.program).fileName(), run, m_target);
    }

    // ssh

    Command sshCommand(const QString& remoteCommand) const
    {
        return makeCommand(m_ssh, SshCommandArguments(m_target, remoteCommand));
    }
    // rsync's options for every run: the path whole to the remote rsync, names as they are, ssh that never asks.
    QStringList rsyncOptions() const
    {
        return {QStringLiteral("-s"), QStringLiteral("-8"), QStringLiteral("-e"), RsyncRemoteShell(m_ssh, m_target)};
    }
    // rsync reading from there: the paths it is given there are written so that it takes them literally.
    Command rsyncCommand(const QStringList& arguments, ProgressFormat progress = ProgressFormat::None) const
    {
        return makeCommand(m_rsync, rsyncOptions() + arguments, progress);
    }
    // rsync writing there, started inside the folder there, which must exist; "." or a plain name given by
    // insideLocation() is where it writes.
    Command rsyncIntoCommand(
        const QString& folder, const QStringList& arguments, ProgressFormat progress = ProgressFormat::None) const
    {
        return makeCommand(m_rsync,
            rsyncOptions() + QStringList {QStringLiteral("--rsync-path=") + RsyncPathInside(folder)} + arguments,
            progress);
    }
    QString insideLocation(const QString& name = QStringLiteral(".")) const
    {
        OffsiteTarget inside = m_target;
        inside.path = name;
        return inside.toolLocation();
    }
    QString remotePathOf(const QString& name) const
    {
        return m_target.path.endsWith(QLatin1Char('/')) ? m_target.path + name
                                                        : m_target.path + QLatin1Char('/') + name;
    }
    // The folder there, or a file in it, as rsync reads from it.
    QString sendingLocation(const QString& name = QString()) const
    {
        OffsiteTarget literal = m_target;
        literal.path = RsyncLiteralPath(m_target.path);
        return name.isEmpty() ? literal.toolLocation() + QLatin1Char('/')
                              : literal.toolLocationOf(RsyncLiteralPath(name));
    }

    // rclone

    Command rcloneCommand(const QStringList& arguments) const
    {
        return makeCommand(m_rclone, RcloneOptions() + arguments);
    }

    // The files in the folder there; a missing folder is made when asked, else listed as empty.
    std::optional<QList<OffsiteFile>> list(OffsiteOutcome& outcome, bool makeMissing)
    {
        const Command command = isSsh()
            ? rsyncCommand({QStringLiteral("--list-only"), QStringLiteral("--no-h"), sendingLocation()})
            : rcloneCommand({QStringLiteral("lsjson"), QStringLiteral("--files-only"), QStringLiteral("--no-mimetype"),
                m_target.toolLocation()});
        const RunResult run = this->run(command);
        if (run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0) {
            if (isSsh())
                return ParseRsyncListing(run.output);
            bool ok = false;
            QList<OffsiteFile> files = ParseRcloneListing(run.output, &ok);
            if (ok)
                return files;
        }
        if (const auto stop = stopped(run)) {
            outcome = *stop;
            return std::nullopt;
        }
        const bool missing = run.error.isEmpty() && run.exitSignal == 0
            && (isSsh() ? run.exitCode == 23 && run.secondOutput.contains(QLatin1String("change_dir"))
                        && run.secondOutput.contains(QLatin1String("No such file or directory"))
                        : run.exitCode == 3 && run.secondOutput.contains(QLatin1String("directory not found")));
        if (!missing) {
            outcome = failed(command, run);
            return std::nullopt;
        }
        if (makeMissing && !makeFolder(outcome))
            return std::nullopt;
        return QList<OffsiteFile>();
    }

    bool makeFolder(OffsiteOutcome& outcome, const QString& sshPath = QString())
    {
        const QString path = sshPath.isEmpty() ? m_target.path : sshPath;
        const Command command = isSsh() ? sshCommand(QStringLiteral("mkdir -p -- ") + ShellQuoted(path))
                                        : rcloneCommand({QStringLiteral("mkdir"), m_target.toolLocation()});
        const RunResult run = this->run(command);
        if (run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0)
            return true;
        outcome = failed(command, run);
        // The login worked and the shell said why: the folder is the problem.
        if (outcome.cause == OffsiteCause::Other && isSsh() && run.exitCode != 255)
            outcome = OffsiteFailure(OffsiteCause::NotWritable,
                LoadStringById(StringId::OffsiteNotWritable).arg(where(), LastToolLine(run)));
        return false;
    }

    // Removes the named files there and no other.
    bool remove(const QStringList& names, OffsiteOutcome& outcome)
    {
        if (names.isEmpty())
            return true;
        if (isSsh()) {
            QString script = QStringLiteral("rm -f --");
            for (const QString& name : names)
                script += QLatin1Char(' ') + ShellQuoted(remotePathOf(name));
            const Command command = sshCommand(script);
            const RunResult run = this->run(command);
            if (run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0)
                return true;
            outcome = failed(command, run);
            return false;
        }
        for (const QString& name : names) {
            const Command command = rcloneCommand({QStringLiteral("deletefile"), m_target.toolLocationOf(name)});
            const RunResult run = this->run(command);
            if (!(run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0)) {
                outcome = failed(command, run);
                return false;
            }
        }
        return true;
    }

    // rclone: what the remote says of one file there, with the checksums it keeps when asked (some remotes,
    // the local one among them, read the whole file for them).
    std::optional<RcloneFileFacts> rcloneFacts(const QString& name, OffsiteOutcome& outcome, bool withHashes = true)
    {
        QStringList arguments {
            QStringLiteral("lsjson"), QStringLiteral("--files-only"), QStringLiteral("--no-mimetype")};
        if (withHashes)
            arguments += {QStringLiteral("--hash-type"), QStringLiteral("md5"), QStringLiteral("--hash-type"),
                QStringLiteral("sha1")};
        arguments.append(m_target.toolLocationOf(name));
        const Command command = rcloneCommand(arguments);
        const RunResult run = this->run(command);
        if (!(run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0)) {
            outcome = failed(command, run);
            return std::nullopt;
        }
        return ParseRcloneFile(run.output);
    }

    // What the remote says each named file there holds: a checksum where it can tell, else the file's time
    // (rclone) or nothing (ssh). A file it cannot read gets neither.
    std::optional<QMap<QString, ThereSum>> checksumsThere(const QStringList& names, OffsiteOutcome& outcome)
    {
        QMap<QString, ThereSum> sums;
        if (names.isEmpty())
            return sums;
        if (!isSsh()) {
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
        // The checksums are made there, where the files are: nothing crosses the network. md5sum is GNU's, md5 -q
        // the BSDs'; a host with neither answers "-" and its files are compared by rsync instead.
        QString words;
        for (const QString& name : names)
            words += QLatin1Char(' ') + ShellQuoted(name);
        const Command command = sshCommand(QStringLiteral("cd -- %1 || exit 3; for f in%2; do h=$( (md5sum || md5 -q) "
                                                          "2>/dev/null < \"$f\" ) || h=-; printf '%s\\n' \"${h%% *}\"; "
                                                          "done")
                                               .arg(ShellQuoted(m_target.path), words));
        const RunResult run = this->run(command);
        if (!succeeded(run) || stopped(run)) {
            outcome = failed(command, run);
            return std::nullopt;
        }
        // What the remote prints is taken only as one checksum a line, in the order asked.
        static const QRegularExpression md5(QStringLiteral("^[0-9a-f]{32}$"));
        const QStringList lines = run.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < names.size(); ++i) {
            ThereSum sum;
            const QString line = lines.size() == names.size() ? lines.at(i).trimmed().toLower() : QString();
            if (md5.match(line).hasMatch()) {
                sum.kind = QStringLiteral("md5");
                sum.value = line;
            }
            sums.insert(names.at(i), sum);
        }
        return sums;
    }

    // rclone: copies the file under a hidden name, checks it there against the local checksums and only then
    // gives it its name, replacing whatever had the name there.
    bool rcloneUpload(const ChainFile& file, const FileChecksums& sums, OffsiteOutcome& outcome)
    {
        const QString part = rclonePartName(file.name);
        const Command copy
            = rcloneCommand(QStringList {QStringLiteral("copyto"), QStringLiteral("--stats"), QStringLiteral("1s"),
                                QStringLiteral("--stats-one-line"), QStringLiteral("-v")}
                + rateLimit(true) + QStringList {file.path, m_target.toolLocationOf(part)});
        const RunResult copied = run(copy, file.size);
        if (!(copied.error.isEmpty() && copied.exitSignal == 0 && copied.exitCode == 0)) {
            outcome = failed(copy, copied);
            return false;
        }
        if (const auto stop = stopped(copied)) {
            outcome = *stop;
            return false;
        }
        const auto same = rcloneHolds(part, file, sums, outcome);
        if (!same)
            return false;
        if (const auto stop = stoppedBeforeStart()) {
            outcome = *stop;
            return false;
        }
        if (!*same) {
            outcome = OffsiteFailure(
                OffsiteCause::Mismatch, LoadStringById(StringId::OffsiteMismatch).arg(file.name, where()));
            return false;
        }
        // Without --ignore-times rclone takes a file of the same size and time there for this one and only
        // removes the new copy: a damaged copy would stay.
        const Command move = rcloneCommand({QStringLiteral("moveto"), QStringLiteral("--ignore-times"),
            m_target.toolLocationOf(part), m_target.toolLocationOf(file.name)});
        const RunResult moved = run(move);
        if (!(moved.error.isEmpty() && moved.exitSignal == 0 && moved.exitCode == 0)) {
            outcome = failed(move, moved);
            return false;
        }
        return true;
    }

    // rclone: whether the file there holds the local file's content: by checksum where the remote keeps one,
    // else by size.
    std::optional<bool> rcloneHolds(
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

private:
    OffsiteTarget m_target;
    const JobContext* m_context;
    const RunControl* m_control;
    std::chrono::seconds m_timeLimit;
    QString m_ssh;
    QString m_rsync;
    QString m_rclone;
    std::optional<ProgressMeter> m_meter;
    QElapsedTimer m_clock;
    qint64 m_totalBytes = 0;
    qint64 m_bytesBefore = 0;
};

std::optional<OffsiteTarget> targetOrFailure(const BackupSet& set, OffsiteOutcome& outcome)
{
    QString problem;
    const auto target = ParseOffsiteTarget(set.offsite, &problem);
    if (!target)
        outcome = OffsiteFailure(
            OffsiteCause::Other, problem.isEmpty() ? LoadStringById(StringId::SetHasNoOffsite).arg(set.name) : problem);
    return target;
}

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

QMap<QString, qint64> sizesByName(const QList<OffsiteFile>& files)
{
    QMap<QString, qint64> sizes;
    for (const OffsiteFile& file : files)
        sizes.insert(file.name, file.size);
    return sizes;
}

// rsync: sends the files into the folder there. A file arrives under a hidden name and is renamed when whole;
// an interrupted one waits in the partial folder for the next run. Every file given is sent, also one of the
// same size and time there (--ignore-times): the caller found it missing or different. Returns the names sent.
std::optional<QStringList> rsyncUpload(
    OffsiteStep& step, const QList<ChainFile>& files, qint64 bytes, OffsiteOutcome& outcome)
{
    QStringList arguments {QStringLiteral("-t"), QStringLiteral("--ignore-times"),
        QStringLiteral("--partial-dir=") + kPartialDir, QStringLiteral("--itemize-changes"),
        QStringLiteral("--info=progress2")};
    arguments += rateLimit(false);
    for (const ChainFile& file : files)
        arguments.append(file.path);
    arguments.append(step.insideLocation());
    const Command command = step.rsyncIntoCommand(step.target().path, arguments, ProgressFormat::Rsync);
    const RunResult run = step.run(command, bytes);
    if (!succeeded(run) || step.stopped(run)) {
        outcome = step.failed(command, run);
        return std::nullopt;
    }
    return transferredNames(run.output);
}

// rsync: compares the files there with the local ones by size and checksum without changing anything; the
// names of those that differ.
std::optional<QStringList> rsyncDiffering(OffsiteStep& step, const QList<ChainFile>& files, OffsiteOutcome& outcome)
{
    if (files.isEmpty())
        return QStringList();
    QStringList arguments {QStringLiteral("-n"), QStringLiteral("-c"), QStringLiteral("--itemize-changes")};
    for (const ChainFile& file : files)
        arguments.append(file.path);
    arguments.append(step.insideLocation());
    const Command command = step.rsyncIntoCommand(step.target().path, arguments);
    const RunResult run = step.run(command);
    if (!succeeded(run) || step.stopped(run)) {
        outcome = step.failed(command, run);
        return std::nullopt;
    }
    return transferredNames(run.output);
}

// Whether a real folder (no link) is at the path.
bool isRealFolder(const QString& path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Makes the history folder there (remoteName in the destination) the same as the one here: the points kept
// here since arrive, and a point removed here goes there too, at this run and never sooner. Without a history
// folder here nothing there is touched: a disk not mounted, or a link planted in its place, must not empty it.
bool carryHistory(OffsiteStep& step, const QString& localHistory, const QString& remoteName, OffsiteOutcome& outcome)
{
    if (localHistory.isEmpty() || !isRealFolder(localHistory))
        return true;
    if (step.isSsh()) {
        // Started inside its own folder there, so that --delete reaches nothing else.
        const QString there = step.remotePathOf(remoteName);
        if (!step.makeFolder(outcome, there))
            return false;
        QStringList arguments {QStringLiteral("-a"), QStringLiteral("--delete"),
            QStringLiteral("--partial-dir=") + kPartialDir, QStringLiteral("--itemize-changes"),
            QStringLiteral("--info=progress2")};
        arguments += rateLimit(false);
        arguments << QDir::cleanPath(localHistory) + QLatin1Char('/') << step.insideLocation(QStringLiteral("./"));
        const Command command = step.rsyncIntoCommand(there, arguments, ProgressFormat::Rsync);
        const RunResult run = step.run(command);
        if (!succeeded(run) || step.stopped(run)) {
            outcome = step.failed(command, run);
            return false;
        }
        return true;
    }
    const Command command = step.rcloneCommand(
        QStringList {QStringLiteral("sync"), QDir::cleanPath(localHistory), step.target().toolLocationOf(remoteName)}
        + rateLimit(true));
    const RunResult run = step.run(command);
    if (!succeeded(run) || step.stopped(run)) {
        outcome = step.failed(command, run);
        return false;
    }
    return true;
}

// Fetches the history folder there (remoteName) into localHistory, for a restore from a kept point. Only
// folders and plain files come: whatever else is there is someone else's. No history there is no failure.
bool fetchHistory(OffsiteStep& step, const QString& remoteName, const QString& localHistory, OffsiteOutcome& outcome)
{
    if (!QDir().mkpath(localHistory)) {
        outcome = OffsiteFailure(OffsiteCause::NotWritable,
            LoadStringById(StringId::OffsiteNotWritable)
                .arg(localHistory, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    Command command;
    if (step.isSsh()) {
        QStringList arguments {QStringLiteral("-rt"), QStringLiteral("--partial-dir=") + kPartialDir,
            QStringLiteral("--itemize-changes"), QStringLiteral("--info=progress2")};
        arguments += rateLimit(false);
        arguments << step.sendingLocation(remoteName) + QLatin1Char('/')
                  << QDir::cleanPath(localHistory) + QLatin1Char('/');
        command = step.rsyncCommand(arguments, ProgressFormat::Rsync);
    } else {
        command = step.rcloneCommand(QStringList {QStringLiteral("copy"), step.target().toolLocationOf(remoteName),
                                         QDir::cleanPath(localHistory)}
            + rateLimit(true));
    }
    const RunResult run = step.run(command);
    if (succeeded(run))
        return true;
    if (const auto stop = step.stopped(run)) {
        outcome = *stop;
        return false;
    }
    const bool missing = run.error.isEmpty() && run.exitSignal == 0
        && (step.isSsh() ? run.exitCode == 23 && run.secondOutput.contains(QLatin1String("No such file or directory"))
                         : run.exitCode == 3 && run.secondOutput.contains(QLatin1String("directory not found")));
    if (missing)
        return true;
    outcome = step.failed(command, run);
    return false;
}

// A file's identity as the remote's stat prints it ("DEVICE:INODE").
QString identityText(const FolderIdentity& identity)
{
    return QStringLiteral("%1:%2").arg(identity.device).arg(identity.inode);
}

// The identities of the folder and those above it, here.
QStringList identitiesUpFrom(const QString& folder)
{
    QStringList identities;
    QString path = CanonicalPathOf(folder);
    for (;;) {
        if (const auto identity = IdentityOfFolder(path))
            identities.append(identityText(*identity));
        if (path == QLatin1String("/"))
            break;
        const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
        path = cut <= 0 ? QStringLiteral("/") : path.left(cut);
    }
    return identities;
}

// What the remote says about the mirror's place: its machine, the folder resolved, and identities.
struct RemotePlace
{
    QString machine;
    // The folder's path as given, or the nearest one above it that exists.
    QString given;
    QString folder;
    QStringList folderAndAbove;
    QString mirror;
    QString mirrorIdentity;
};

RemotePlace parsePlace(const QString& output)
{
    RemotePlace place;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        const QString key = line.left(blank);
        const QString value = blank < 0 ? QString() : line.mid(blank + 1);
        if (key == QLatin1String("id"))
            place.machine = value.trimmed();
        else if (key == QLatin1String("given"))
            place.given = value;
        else if (key == QLatin1String("path"))
            place.folder = value;
        else if (key == QLatin1String("up"))
            place.folderAndAbove.append(value.trimmed());
        else if (key == QLatin1String("mirror"))
            place.mirror = value;
        else if (key == QLatin1String("mirrorid"))
            place.mirrorIdentity = value.trimmed();
    }
    return place;
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
    const RunResult run = ExecuteCommand(dump, {}, &control);
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
    if (!step.findTools(outcome))
        return outcome;
    if (const auto stop = step.stoppedBeforeStart())
        return *stop;
    const auto listed = step.list(outcome, true);
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
    const auto sumsThere = step.checksumsThere(present, outcome);
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
    if (step.isSsh()) {
        const auto differing = rsyncDiffering(step, byRsync, outcome);
        if (!differing)
            return outcome;
        for (const ChainFile& file : std::as_const(byRsync)) {
            if (differing->contains(file.name))
                toCopy.append(file);
        }
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
    if (step.isSsh()) {
        const bool fullToCopy = !toCopy.isEmpty() && toCopy.first().name == fullName;
        if (fullToCopy && !rsyncUpload(step, {toCopy.first()}, toCopy.first().size, outcome))
            return outcome;
        const QList<ChainFile> updates = toCopy.mid(fullToCopy ? 1 : 0);
        if (!updates.isEmpty() && !rsyncUpload(step, updates, bytes - (fullToCopy ? toCopy.first().size : 0), outcome))
            return outcome;
    } else {
        for (const ChainFile& file : std::as_const(toCopy)) {
            if (!step.rcloneUpload(file, expected.value(file.name), outcome))
                return outcome;
        }
    }
    if (const auto stop = step.stoppedBeforeStart())
        return *stop;

    // Each copy made is checked again there; one that still differs is damage this run cannot repair.
    QStringList copiedNames;
    for (const ChainFile& file : std::as_const(toCopy))
        copiedNames.append(file.name);
    const auto sumsAfter = step.checksumsThere(copiedNames, outcome);
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
    if (step.isSsh()) {
        const auto differing = rsyncDiffering(step, uncheckedCopies, outcome);
        if (!differing)
            return outcome;
        if (!differing->isEmpty())
            return OffsiteFailure(
                OffsiteCause::Mismatch, LoadStringById(StringId::OffsiteDamaged).arg(differing->first(), step.where()));
    }
    QStringList chainNameList;
    for (const ChainFile& file : chain)
        chainNameList.append(file.name);
    record.keepOnly(chainNameList);
    // A record that cannot be written costs a reading of the local files at the next run, nothing more.
    record.save();

    // A chain that left the chain here for the history is in the history there before it goes from beside it.
    if (!carryHistory(step, ChainHistoryFolder(set), set.arcName + QStringLiteral(".history"), outcome))
        return outcome;

    // Everything of the chain is to be there in full before anything of an old chain goes.
    const auto after = step.list(outcome, false);
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
    if (!step.remove(old, outcome))
        return outcome;
    step.finishProgress();
    for (const ChainFile& file : std::as_const(toCopy)) {
        ++outcome.filesCopied;
        outcome.bytesCopied += file.size;
    }
    return outcome;
}

OffsiteOutcome MirrorOffsite(const BackupSet& set, const JobContext& context)
{
    OffsiteOutcome outcome;
    const auto target = targetOrFailure(set, outcome);
    if (!target)
        return outcome;
    if (!target->isSsh())
        return OffsiteFailure(OffsiteCause::Other, LoadStringById(StringId::OffsiteMirrorNeedsSsh).arg(target->text));
    if (!IsUsablePath(set.source) || !QFileInfo(set.source).isDir())
        return OffsiteFailure(OffsiteCause::Other, LoadStringById(StringId::SourceMissing).arg(set.source));
    // An unmounted disk's mount point is an empty folder: --delete would empty the mirror there.
    if (QDir(set.source).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return OffsiteFailure(OffsiteCause::Unsafe, LoadStringById(StringId::SourceEmpty).arg(set.source));
    const QString name = QFileInfo(QDir::cleanPath(set.source)).fileName();
    if (name.isEmpty())
        return OffsiteFailure(OffsiteCause::Other, LoadStringById(StringId::OffsiteMirrorNoName).arg(set.source));
    OffsiteStep step(*target, &context, context.control, context.timeLimit);
    if (!step.findTools(outcome))
        return outcome;
    if (const auto stop = step.stoppedBeforeStart())
        return *stop;

    // Where the mirror is, seen from there, before anything there is made: when that is this same computer,
    // it must not be, hold or lie in the source, whichever path or mount leads to it. The folder may not exist
    // yet; then the nearest folder above it that does stands in for it.
    const QString probe = QStringLiteral(
        "p=%1; d=$p; while [ ! -d \"$d\" ] && [ \"$d\" != / ] && [ \"$d\" != . ]; do d=$(dirname -- \"$d\"); "
        "done; printf 'id %s\\n' \"$(cat /etc/machine-id 2>/dev/null)\"; printf 'given %s\\n' \"$d\"; "
        "( cd -P -- \"$p\"/%2 2>/dev/null && printf 'mirror %s\\n' \"$(pwd)\" && "
        "printf 'mirrorid %s\\n' \"$(stat -c %d:%i .)\" ); cd -P -- \"$d\" || exit 3; "
        "printf 'path %s\\n' \"$(pwd)\"; while :; do printf 'up %s\\n' \"$(stat -c %d:%i .)\"; "
        "[ \"$(pwd)\" = / ] && break; cd -P ..; done")
                              .arg(ShellQuoted(target->path), ShellQuoted(name));
    const Command look = step.sshCommand(probe);
    const RunResult looked = step.run(look);
    if (!succeeded(looked))
        return step.failed(look, looked);
    const RemotePlace place = parsePlace(looked.output);
    const QString local = machineId();
    const bool sameMachine
        = place.machine.isEmpty() || local.isEmpty() ? isLoopback(target->host) : place.machine == local;
    if (sameMachine) {
        const QStringList sourceAndAbove = identitiesUpFrom(set.source);
        const QString sourceIdentity = sourceAndAbove.value(0);
        const bool holdsSource = !place.mirrorIdentity.isEmpty() && sourceAndAbove.contains(place.mirrorIdentity);
        const bool inSource = !sourceIdentity.isEmpty() && place.folderAndAbove.contains(sourceIdentity);
        // The part of the path below the folder that exists, then the mirror's own name.
        const QString below = place.given == QLatin1String(".") ? QLatin1Char('/') + target->path
                                                                : target->path.mid(place.given.size());
        const QString resolved = place.mirror.isEmpty()
            ? QDir::cleanPath(place.folder + QLatin1Char('/') + below + QLatin1Char('/') + name)
            : place.mirror;
        const bool overlaps = !place.folder.isEmpty() && MirrorOverlap(set.source, resolved) != FolderOverlap::None;
        if (holdsSource || inSource || overlaps)
            return OffsiteFailure(
                OffsiteCause::Unsafe, LoadStringById(StringId::OffsiteMirrorUnsafe).arg(target->toolLocationOf(name)));
    }
    // The mirror's own folder is made first and rsync starts inside it: --delete then reaches nothing else,
    // whatever letters the path holds.
    const QString mirrorPath = step.remotePathOf(name);
    if (!step.makeFolder(outcome, mirrorPath))
        return outcome;

    // The versions kept here first: what this run replaced here is there before the mirror there changes.
    if (!carryHistory(step, ChainHistoryFolder(set), name + QStringLiteral(".history"), outcome))
        return outcome;

    QStringList arguments {QStringLiteral("-a"), QStringLiteral("--delete"),
        QStringLiteral("--partial-dir=") + kPartialDir, QStringLiteral("--info=progress2"),
        QStringLiteral("--itemize-changes")};
    arguments += rateLimit(false);
    arguments += MirrorExclusionArguments(set);
    arguments << QDir::cleanPath(set.source) + QLatin1Char('/') << step.insideLocation(QStringLiteral("./"));
    const Command mirror = step.rsyncIntoCommand(mirrorPath, arguments, ProgressFormat::Rsync);
    step.startProgress(0);
    const RunResult run = step.run(mirror, 0, true);
    // 24: files that vanished from the source while rsync read it; the mirror is as good as the source was.
    if (!(run.error.isEmpty() && run.exitSignal == 0 && (run.exitCode == 0 || run.exitCode == 24)) || step.stopped(run))
        return step.failed(mirror, run);
    step.finishProgress();
    outcome.filesCopied = int(transferredNames(run.output).size());
    return outcome;
}

OffsiteOutcome TestOffsite(const OffsiteTarget& target, std::chrono::seconds limit)
{
    RunControl control;
    control.setDeadline(QDeadlineTimer(std::chrono::duration_cast<std::chrono::milliseconds>(limit)));
    OffsiteOutcome outcome;
    OffsiteStep step(target, nullptr, &control, limit);
    if (!step.findTools(outcome))
        return outcome;
    if (!step.makeFolder(outcome))
        return outcome;
    QString error;
    const QString local = MakeTempFileName(QStringLiteral("velmora-test"), &error);
    if (local.isEmpty())
        return OffsiteFailure(OffsiteCause::Other, error);
    {
        QFile file(local);
        if (file.open(QIODevice::WriteOnly))
            file.write("Velmora wrote this file to see that the folder can be written, and removes it.\n");
    }
    const QString name
        = QStringLiteral(".velmora-test-%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    const Command copy = step.isSsh()
        ? step.rsyncIntoCommand(step.target().path, {local, step.insideLocation(name)})
        : step.rcloneCommand({QStringLiteral("copyto"), local, step.target().toolLocationOf(name)});
    const RunResult copied = step.run(copy);
    RemoveTempFile(local);
    if (!succeeded(copied)) {
        outcome = step.failed(copy, copied);
        if (outcome.cause == OffsiteCause::Other && step.isSsh() && copied.exitCode == 23)
            outcome = OffsiteFailure(OffsiteCause::NotWritable,
                LoadStringById(StringId::OffsiteNotWritable).arg(step.where(), LastToolLine(copied)));
        return outcome;
    }
    step.remove({name}, outcome);
    return outcome;
}

QList<OffsiteFile> ListOffsiteArchives(const BackupSet& set, OffsiteOutcome* outcome)
{
    OffsiteOutcome result;
    QList<OffsiteFile> archives;
    if (const auto target = targetOrFailure(set, result)) {
        RunControl control;
        OffsiteStep step(*target, nullptr, &control, std::chrono::seconds(0));
        if (step.findTools(result)) {
            if (const auto listed = step.list(result, false)) {
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
    if (!step.findTools(outcome))
        return outcome;
    const auto listed = step.list(outcome, false);
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
    if (step.isSsh()) {
        QStringList arguments {QStringLiteral("-t"), QStringLiteral("--partial-dir=") + kPartialDir,
            QStringLiteral("--itemize-changes"), QStringLiteral("--info=progress2")};
        arguments += rateLimit(false);
        for (const QString& name : names)
            arguments.append(step.sendingLocation(name));
        arguments.append(QDir::cleanPath(localFolder) + QLatin1Char('/'));
        const Command fetch = step.rsyncCommand(arguments, ProgressFormat::Rsync);
        const RunResult run = step.run(fetch, bytes);
        if (!succeeded(run) || step.stopped(run))
            return step.failed(fetch, run);
    } else {
        for (const QString& name : names) {
            const QString part = folder.filePath(rclonePartName(name));
            const Command fetch
                = step.rcloneCommand({QStringLiteral("copyto"), QStringLiteral("--stats"), QStringLiteral("1s"),
                    QStringLiteral("--stats-one-line"), QStringLiteral("-v"), target->toolLocationOf(name), part});
            const RunResult run = step.run(fetch, there.value(name));
            if (!succeeded(run) || step.stopped(run)) {
                QFile::remove(part);
                return step.failed(fetch, run);
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
    }
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
    if (!fetchHistory(step, set.arcName + QStringLiteral(".history"),
            folder.filePath(set.arcName + QStringLiteral(".history")), outcome))
        return outcome;
    step.finishProgress();
    return outcome;
}
