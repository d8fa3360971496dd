// Off-site copies through rsync over ssh and rclone. Every file of a chain reaches its final name there only
// whole and checked, and an old chain goes there only after the new one is complete.

#include "Offsite.h"

#include "ArchiveCommand.h"
#include "FolderIdentity.h"
#include "LastRun.h"
#include "MirrorCommand.h"
#include "OffsiteTools.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "TempFolder.h"
#include "ToolProgress.h"
#include "UpdateArchives.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// From this size on, a full archive already there is taken by its size and time instead of its checksum.
constexpr qint64 kQuickCheckFromBytes = qint64(64) << 20;

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

// A checksum of the local file of the kind the remote keeps; empty when the file cannot be read or the run is
// to end (an archive of many gigabytes takes a while).
QString localHash(const QString& path, const QString& kind, const RunControl* control)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(kind == QLatin1String("md5") ? QCryptographicHash::Md5 : QCryptographicHash::Sha1);
    QByteArray chunk(4 << 20, Qt::Uninitialized);
    for (;;) {
        if (control && control->shouldStop())
            return {};
        const qint64 read = file.read(chunk.data(), chunk.size());
        if (read < 0)
            return {};
        if (read == 0)
            break;
        hash.addData(QByteArrayView(chunk.constData(), read));
    }
    return QString::fromLatin1(hash.result().toHex());
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
    Command rsyncCommand(const QStringList& arguments, ProgressFormat progress = ProgressFormat::None) const
    {
        return makeCommand(m_rsync, rsyncOptions() + arguments, progress);
    }
    QString remotePathOf(const QString& name) const
    {
        return m_target.path.endsWith(QLatin1Char('/')) ? m_target.path + name
                                                        : m_target.path + QLatin1Char('/') + name;
    }
    QString folderLocation() const { return m_target.toolLocation() + QLatin1Char('/'); }

    // rclone

    Command rcloneCommand(const QStringList& arguments) const
    {
        return makeCommand(m_rclone, RcloneOptions() + arguments);
    }

    // The files in the folder there; a missing folder is made when asked, else listed as empty.
    std::optional<QList<OffsiteFile>> list(OffsiteOutcome& outcome, bool makeMissing)
    {
        const Command command = isSsh()
            ? rsyncCommand({QStringLiteral("--list-only"), QStringLiteral("--no-h"), folderLocation()})
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

    bool makeFolder(OffsiteOutcome& outcome)
    {
        const Command command = isSsh() ? sshCommand(QStringLiteral("mkdir -p -- ") + ShellQuoted(m_target.path))
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

    // rclone: whether the file there equals the local one. A file copied at an earlier run (earlier) is taken by
    // its size and time where the remote keeps times and quick allows it (see CopyArchivesOffsite), else by its
    // checksum where the remote keeps one, else by size and time. A copy just made goes by checksum, else size.
    std::optional<bool> rcloneMatches(
        const QString& name, const ChainFile& local, OffsiteOutcome& outcome, bool earlier, bool quick = false)
    {
        const auto sameTime = [&](const QDateTime& modified) {
            return std::abs(modified.msecsTo(QFileInfo(local.path).lastModified())) < 1000;
        };
        if (quick) {
            const auto plain = rcloneFacts(name, outcome, false);
            if (!plain)
                return std::nullopt;
            if (plain->size != local.size)
                return false;
            if (plain->modified.isValid())
                return sameTime(plain->modified);
        }
        const auto facts = rcloneFacts(name, outcome);
        if (!facts)
            return std::nullopt;
        if (facts->size != local.size)
            return false;
        for (const char* const kind : {"md5", "sha1"}) {
            const QString hashName = QLatin1String(kind);
            if (facts->hashes.contains(hashName))
                return localHash(local.path, hashName, m_control) == facts->hashes.value(hashName);
        }
        return !earlier || !facts->modified.isValid() || sameTime(facts->modified);
    }

    // rclone: copies the file under a hidden name, checks it there and only then gives it its name.
    bool rcloneUpload(const ChainFile& file, OffsiteOutcome& outcome)
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
        const auto same = rcloneMatches(part, file, outcome, false);
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
        const Command move = rcloneCommand(
            {QStringLiteral("moveto"), m_target.toolLocationOf(part), m_target.toolLocationOf(file.name)});
        const RunResult moved = run(move);
        if (!(moved.error.isEmpty() && moved.exitSignal == 0 && moved.exitCode == 0)) {
            outcome = failed(move, moved);
            return false;
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

bool succeeded(const RunResult& run)
{
    return run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0;
}

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
// an interrupted one waits in the partial folder for the next run. Returns the names rsync sent.
std::optional<QStringList> rsyncUpload(
    OffsiteStep& step, const QList<ChainFile>& files, bool byChecksum, qint64 bytes, OffsiteOutcome& outcome)
{
    QStringList arguments {QStringLiteral("-t"), QStringLiteral("--partial-dir=") + kPartialDir,
        QStringLiteral("--itemize-changes"), QStringLiteral("--info=progress2")};
    if (byChecksum)
        arguments.append(QStringLiteral("-c"));
    arguments += rateLimit(false);
    for (const ChainFile& file : files)
        arguments.append(file.path);
    arguments.append(step.folderLocation());
    const Command command = step.rsyncCommand(arguments, ProgressFormat::Rsync);
    const RunResult run = step.run(command, bytes);
    if (!succeeded(run) || step.stopped(run)) {
        outcome = step.failed(command, run);
        return std::nullopt;
    }
    return transferredNames(run.output);
}

// rsync: compares the files there with the local ones by size and checksum without changing anything.
bool rsyncVerify(OffsiteStep& step, const QList<ChainFile>& files, OffsiteOutcome& outcome)
{
    if (files.isEmpty())
        return true;
    QStringList arguments {QStringLiteral("-n"), QStringLiteral("-c"), QStringLiteral("--itemize-changes")};
    for (const ChainFile& file : files)
        arguments.append(file.path);
    arguments.append(step.folderLocation());
    const Command command = step.rsyncCommand(arguments);
    const RunResult run = step.run(command);
    if (!succeeded(run) || step.stopped(run)) {
        outcome = step.failed(command, run);
        return false;
    }
    const QStringList differing = transferredNames(run.output);
    if (!differing.isEmpty()) {
        outcome = OffsiteFailure(
            OffsiteCause::Mismatch, LoadStringById(StringId::OffsiteMismatch).arg(differing.first(), step.where()));
        return false;
    }
    return true;
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

} // namespace

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
    OffsiteStep step(*target, &context, context.control, context.timeLimit);
    if (!step.findTools(outcome))
        return outcome;
    if (const auto stop = step.stoppedBeforeStart())
        return *stop;
    const auto listed = step.list(outcome, true);
    if (!listed)
        return outcome;
    const QMap<QString, qint64> there = sizesByName(*listed);

    // The full archive keeps its name when a chain starts anew, so its size alone does not tell. A large one is
    // compared by size and modification time, which the copy keeps: making it took longer than a second, so a
    // new one never shares the old one's time, and reading it whole on both sides at every run would cost more
    // than the run. A small one may be made within the second, and is compared by checksum. An update archive's
    // name is new each time, and its size tells a torn copy.
    const ChainFile& full = chain.first();
    const bool quickCheck = full.size >= kQuickCheckFromBytes;
    const bool fullThere = there.value(full.name, -1) == full.size;
    QList<ChainFile> updates;
    qint64 bytes = fullThere ? 0 : full.size;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        if (there.value(chain.at(i).name, -1) != chain.at(i).size) {
            updates.append(chain.at(i));
            bytes += chain.at(i).size;
        }
    }
    step.startProgress(bytes);
    QList<ChainFile> copied;
    if (step.isSsh()) {
        // The full archive alone and first: update archives there without their own full archive would be
        // read against the wrong one.
        const auto sent = rsyncUpload(step, {full}, !quickCheck, fullThere ? 0 : full.size, outcome);
        if (!sent)
            return outcome;
        if (sent->contains(full.name))
            copied.append(full);
        if (!updates.isEmpty()) {
            const auto sentUpdates = rsyncUpload(step, updates, false, bytes - (fullThere ? 0 : full.size), outcome);
            if (!sentUpdates)
                return outcome;
            copied += updates;
        }
        if (!rsyncVerify(step, copied, outcome))
            return outcome;
    } else {
        bool fullCopy = !fullThere;
        if (fullThere) {
            const auto same = step.rcloneMatches(full.name, full, outcome, true, quickCheck);
            if (!same)
                return outcome;
            fullCopy = !*same;
        }
        QList<ChainFile> toCopy = updates;
        if (fullCopy)
            toCopy.prepend(full);
        for (const ChainFile& file : std::as_const(toCopy)) {
            if (!step.rcloneUpload(file, outcome))
                return outcome;
            copied.append(file);
        }
    }
    if (const auto stop = step.stoppedBeforeStart())
        return *stop;

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
    for (const ChainFile& file : std::as_const(copied)) {
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
    if (!step.makeFolder(outcome))
        return outcome;

    QStringList arguments {QStringLiteral("-a"), QStringLiteral("--delete"),
        QStringLiteral("--partial-dir=") + kPartialDir, QStringLiteral("--info=progress2"),
        QStringLiteral("--itemize-changes")};
    arguments += rateLimit(false);
    arguments += MirrorExclusionArguments(set);
    arguments << QDir::cleanPath(set.source) + QLatin1Char('/') << target->toolLocationOf(name) + QLatin1Char('/');
    const Command mirror = step.rsyncCommand(arguments, ProgressFormat::Rsync);
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
        ? step.rsyncCommand({local, step.target().toolLocationOf(name)})
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
            arguments.append(target->toolLocationOf(name));
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
    for (const QString& name : names) {
        const qint64 size = QFileInfo(folder.filePath(name)).size();
        if (size != there.value(name))
            return OffsiteFailure(OffsiteCause::Mismatch,
                LoadStringById(StringId::OffsiteFetchSize)
                    .arg(name, QString::number(size), QString::number(there.value(name))));
        ++outcome.filesCopied;
        outcome.bytesCopied += size;
    }
    step.finishProgress();
    return outcome;
}
