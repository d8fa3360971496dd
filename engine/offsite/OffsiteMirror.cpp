// A mirror set mirrored off-site straight from its source with rsync over ssh, after making sure the mirror there
// is not, does not hold and does not lie in the source, also when the host is this machine.

#include "ArchivePath.h"
#include "Offsite.h"

#include "FolderIdentity.h"
#include "FolderPaths.h"
#include "MirrorCommand.h"
#include "OffsiteInternal.h"
#include "OffsiteStep.h"
#include "OffsiteTools.h"
#include "ResourceIds.h"
#include "SshTransport.h"
#include "StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace OffsiteInternal;

namespace {

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
    SshTransport ssh(step);
    if (!ssh.findTools(outcome))
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
    const Command look = ssh.sshCommand(probe);
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
    const QString mirrorPath = ssh.remotePathOf(name);
    if (!ssh.makeFolderAt(outcome, mirrorPath))
        return outcome;

    // The versions kept here first: what this run replaced here is there before the mirror there changes.
    if (!ssh.carryHistory(ChainHistoryFolder(set), name + QStringLiteral(".history"), outcome))
        return outcome;

    QStringList arguments {QStringLiteral("-a"), QStringLiteral("--delete"),
        QStringLiteral("--partial-dir=") + kPartialDir, QStringLiteral("--info=progress2"),
        QStringLiteral("--itemize-changes")};
    arguments += rateLimit(false);
    arguments += MirrorExclusionArguments(set);
    arguments << QDir::cleanPath(set.source) + QLatin1Char('/') << ssh.insideLocation(QStringLiteral("./"));
    const Command mirror = ssh.rsyncIntoCommand(mirrorPath, arguments, ProgressFormat::Rsync);
    step.startProgress(0);
    const RunResult run = step.run(mirror, 0, true);
    // 24: files that vanished from the source while rsync read it; the mirror is as good as the source was.
    if (!(run.error.isEmpty() && run.exitSignal == 0 && (run.exitCode == 0 || run.exitCode == 24)) || step.stopped(run))
        return step.failed(mirror, run);
    step.finishProgress();
    outcome.filesCopied = int(transferredNames(run.output).size());
    return outcome;
}
