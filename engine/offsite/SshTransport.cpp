#include "SshTransport.h"

#include "OffsiteInternal.h"
#include "OffsiteStep.h"
#include "OffsiteTools.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>
#include <QRegularExpression>

using namespace OffsiteInternal;

SshTransport::SshTransport(OffsiteStep& step)
    : OffsiteTransport(step)
{
}

bool SshTransport::findTools(OffsiteOutcome& outcome)
{
    m_ssh = OffsiteToolPath(QStringLiteral("ssh"), &outcome);
    if (m_ssh.isEmpty())
        return false;
    m_rsync = OffsiteToolPath(QStringLiteral("rsync"), &outcome);
    return !m_rsync.isEmpty();
}

bool SshTransport::makeFolder(OffsiteOutcome& outcome)
{
    return makeFolderAt(outcome, QString());
}

bool SshTransport::makeFolderAt(OffsiteOutcome& outcome, const QString& sshPath)
{
    const QString path = sshPath.isEmpty() ? m_step.target().path : sshPath;
    const Command command = sshCommand(QStringLiteral("mkdir -p -- ") + ShellQuoted(path));
    const RunResult run = m_step.run(command);
    if (run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0)
        return true;
    outcome = m_step.failed(command, run);
    // The login worked and the shell said why: the folder is the problem.
    if (outcome.cause == OffsiteCause::Other && run.exitCode != 255)
        outcome = OffsiteFailure(OffsiteCause::NotWritable,
            LoadStringById(StringId::OffsiteNotWritable).arg(m_step.where(), LastToolLine(run)));
    return false;
}

bool SshTransport::remove(const QStringList& names, OffsiteOutcome& outcome)
{
    if (names.isEmpty())
        return true;
    QString script = QStringLiteral("rm -f --");
    for (const QString& name : names)
        script += QLatin1Char(' ') + ShellQuoted(remotePathOf(name));
    const Command command = sshCommand(script);
    const RunResult run = m_step.run(command);
    if (run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0)
        return true;
    outcome = m_step.failed(command, run);
    return false;
}

std::optional<QMap<QString, ThereSum>> SshTransport::checksumsThere(const QStringList& names, OffsiteOutcome& outcome)
{
    QMap<QString, ThereSum> sums;
    if (names.isEmpty())
        return sums;
    // The checksums are made there, where the files are: nothing crosses the network. md5sum is GNU's, md5 -q
    // the BSDs'; a host with neither answers "-" and its files are compared by rsync instead.
    QString words;
    for (const QString& name : names)
        words += QLatin1Char(' ') + ShellQuoted(name);
    const Command command = sshCommand(QStringLiteral("cd -- %1 || exit 3; for f in%2; do h=$( (md5sum || md5 -q) "
                                                      "2>/dev/null < \"$f\" ) || h=-; printf '%s\\n' \"${h%% *}\"; "
                                                      "done")
                                           .arg(ShellQuoted(m_step.target().path), words));
    const RunResult run = m_step.run(command);
    if (!succeeded(run) || m_step.stopped(run)) {
        outcome = m_step.failed(command, run);
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

// rsync: sends the files into the folder there. A file arrives under a hidden name and is renamed when whole;
// an interrupted one waits in the partial folder for the next run. Every file given is sent, also one of the
// same size and time there (--ignore-times): the caller found it missing or different.
bool SshTransport::upload(const QList<ChainFile>& files, qint64 bytes, const QMap<QString, FileChecksums>& /*expected*/,
    OffsiteOutcome& outcome)
{
    QStringList arguments {QStringLiteral("-t"), QStringLiteral("--ignore-times"),
        QStringLiteral("--partial-dir=") + kPartialDir, QStringLiteral("--itemize-changes"),
        QStringLiteral("--info=progress2")};
    arguments += rateLimit(false);
    for (const ChainFile& file : files)
        arguments.append(file.path);
    arguments.append(insideLocation());
    const Command command = rsyncIntoCommand(m_step.target().path, arguments, ProgressFormat::Rsync);
    const RunResult run = m_step.run(command, bytes);
    if (!succeeded(run) || m_step.stopped(run)) {
        outcome = m_step.failed(command, run);
        return false;
    }
    return true;
}

// rsync: compares the files there with the local ones by size and checksum without changing anything; the
// names of those that differ.
std::optional<QStringList> SshTransport::differing(const QList<ChainFile>& files, OffsiteOutcome& outcome)
{
    if (files.isEmpty())
        return QStringList();
    QStringList arguments {QStringLiteral("-n"), QStringLiteral("-c"), QStringLiteral("--itemize-changes")};
    for (const ChainFile& file : files)
        arguments.append(file.path);
    arguments.append(insideLocation());
    const Command command = rsyncIntoCommand(m_step.target().path, arguments);
    const RunResult run = m_step.run(command);
    if (!succeeded(run) || m_step.stopped(run)) {
        outcome = m_step.failed(command, run);
        return std::nullopt;
    }
    return transferredNames(run.output);
}

Command SshTransport::copyCommand(const QString& local, const QString& name) const
{
    return rsyncIntoCommand(m_step.target().path, {local, insideLocation(name)});
}

std::optional<OffsiteOutcome> SshTransport::fetch(
    const QStringList& names, const QString& localFolder, const QMap<QString, qint64>& /*there*/, qint64 bytes)
{
    QStringList arguments {QStringLiteral("-t"), QStringLiteral("--partial-dir=") + kPartialDir,
        QStringLiteral("--itemize-changes"), QStringLiteral("--info=progress2")};
    arguments += rateLimit(false);
    for (const QString& name : names)
        arguments.append(sendingLocation(name));
    arguments.append(QDir::cleanPath(localFolder) + QLatin1Char('/'));
    const Command fetch = rsyncCommand(arguments, ProgressFormat::Rsync);
    const RunResult run = m_step.run(fetch, bytes);
    if (!succeeded(run) || m_step.stopped(run))
        return m_step.failed(fetch, run);
    return std::nullopt;
}

Command SshTransport::sshCommand(const QString& remoteCommand) const
{
    return makeCommand(m_ssh, SshCommandArguments(m_step.target(), remoteCommand));
}

QStringList SshTransport::rsyncOptions() const
{
    return {QStringLiteral("-s"), QStringLiteral("-8"), QStringLiteral("-e"), RsyncRemoteShell(m_ssh, m_step.target())};
}

Command SshTransport::rsyncCommand(const QStringList& arguments, ProgressFormat progress) const
{
    return makeCommand(m_rsync, rsyncOptions() + arguments, progress);
}

Command SshTransport::rsyncIntoCommand(
    const QString& folder, const QStringList& arguments, ProgressFormat progress) const
{
    return makeCommand(m_rsync,
        rsyncOptions() + QStringList {QStringLiteral("--rsync-path=") + RsyncPathInside(folder)} + arguments, progress);
}

QString SshTransport::insideLocation(const QString& name) const
{
    OffsiteTarget inside = m_step.target();
    inside.path = name;
    return inside.toolLocation();
}

QString SshTransport::remotePathOf(const QString& name) const
{
    return m_step.target().path.endsWith(QLatin1Char('/')) ? m_step.target().path + name
                                                           : m_step.target().path + QLatin1Char('/') + name;
}

QString SshTransport::sendingLocation(const QString& name) const
{
    OffsiteTarget literal = m_step.target();
    literal.path = RsyncLiteralPath(m_step.target().path);
    return name.isEmpty() ? literal.toolLocation() + QLatin1Char('/') : literal.toolLocationOf(RsyncLiteralPath(name));
}

Command SshTransport::listCommand() const
{
    return rsyncCommand({QStringLiteral("--list-only"), QStringLiteral("--no-h"), sendingLocation()});
}

std::optional<QList<OffsiteFile>> SshTransport::parseListing(const QString& output) const
{
    return ParseRsyncListing(output);
}

bool SshTransport::folderMissing(const RunResult& run, bool listing) const
{
    // Listing, rsync cannot enter the folder itself; fetching, the folder below it is not there.
    return run.exitCode == 23 && (!listing || run.secondOutput.contains(QLatin1String("change_dir")))
        && run.secondOutput.contains(QLatin1String("No such file or directory"));
}

bool SshTransport::syncHistory(const QString& localHistory, const QString& remoteName, OffsiteOutcome& outcome)
{
    // Started inside its own folder there, so that --delete reaches nothing else.
    const QString there = remotePathOf(remoteName);
    if (!makeFolderAt(outcome, there))
        return false;
    QStringList arguments {QStringLiteral("-a"), QStringLiteral("--delete"),
        QStringLiteral("--partial-dir=") + kPartialDir, QStringLiteral("--itemize-changes"),
        QStringLiteral("--info=progress2")};
    arguments += rateLimit(false);
    arguments << QDir::cleanPath(localHistory) + QLatin1Char('/') << insideLocation(QStringLiteral("./"));
    const Command command = rsyncIntoCommand(there, arguments, ProgressFormat::Rsync);
    const RunResult run = m_step.run(command);
    if (!succeeded(run) || m_step.stopped(run)) {
        outcome = m_step.failed(command, run);
        return false;
    }
    return true;
}

Command SshTransport::historyFetchCommand(const QString& remoteName, const QString& localHistory) const
{
    QStringList arguments {QStringLiteral("-rt"), QStringLiteral("--partial-dir=") + kPartialDir,
        QStringLiteral("--itemize-changes"), QStringLiteral("--info=progress2")};
    arguments += rateLimit(false);
    arguments << sendingLocation(remoteName) + QLatin1Char('/') << QDir::cleanPath(localHistory) + QLatin1Char('/');
    return rsyncCommand(arguments, ProgressFormat::Rsync);
}
