#include "MirrorCommand.h"

#include "ArchivePath.h"
#include "ExcludedFolders.h"
#include "FolderPaths.h"
#include "Overdue.h"
#include "SetHistory.h"
#include "ToolLocations.h"

#include <QDirIterator>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool hasWildcard(const QString& text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?')) || text.contains(QLatin1Char('['));
}

QString withPatternCharactersEscaped(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() * 2);
    for (const QChar c : text) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

// rsync reads a backslash as an escape only in a pattern that holds a wildcard, so a name without one is
// already matched literally, backslashes and all.
QString literalPattern(const QString& name)
{
    return hasWildcard(name) ? withPatternCharactersEscaped(name) : name;
}

// An excluded type is "*" and a suffix; only that star is a wildcard.
QString typePattern(const QString& type)
{
    if (!type.startsWith(QLatin1Char('*')))
        return literalPattern(type);
    return QLatin1Char('*') + withPatternCharactersEscaped(type.mid(1));
}

} // namespace

QStringList MirrorExclusionArguments(const BackupSet& set)
{
    const QString exclude = QStringLiteral("--exclude=");
    QStringList arguments;
    meSortStringArray types = set.exTypeList;
    SortList(types);
    for (const QString& type : std::as_const(types))
        arguments.append(exclude + typePattern(type));
    meSortStringArray folders = set.exPathList;
    SortList(folders);
    for (const QString& entry : std::as_const(folders)) {
        const FolderExclusion exclusion = ClassifyExcludedFolder(set.source, entry);
        // rsync anchors a pattern that starts with "/" at the top of the copy, which is the source folder.
        if (exclusion.kind == FolderExclusion::OneFolderInside)
            arguments.append(exclude + kPathSeparator + literalPattern(exclusion.path));
        else if (exclusion.kind == FolderExclusion::AnyFolderNamed)
            arguments.append(exclude + literalPattern(exclusion.path));
    }
    return arguments;
}

QDateTime MirrorClock()
{
    return OverdueClock();
}

QString NextMirrorVersionFolder(const BackupSet& set)
{
    const QString history = ChainHistoryFolder(set);
    QDateTime time = MirrorClock();
    for (;;) {
        const QString folder = history + QLatin1Char('/') + RestoreStamp(time);
        struct stat status;
        if (::lstat(QFile::encodeName(folder).constData(), &status) != 0)
            return folder;
        time = time.addSecs(1);
    }
}

Command BuildMirrorCommand(const BackupSet& set, const QString& versionFolder)
{
    Command command;
    command.program = RobocopyPath();
    // The "/" at the end makes rsync copy what the source holds, not the source folder itself.
    const QString sourceContents = FolderWithSeparator(set.source);
    const QString mirror = MirrorFolder(set);
    // The overall progress for the window and velmora-run, and one line for each change, so that the log
    // says what the run changed.
    const QStringList options {QStringLiteral("-a"), QStringLiteral("--delete"), QStringLiteral("--info=progress2"),
        QStringLiteral("--itemize-changes")};
    // What the run replaces or deletes goes into the version folder instead of away, so the mirror stays the
    // exact copy and each earlier version stays restorable.
    const QString versions
        = FolderWithSeparator(versionFolder.isEmpty() ? NextMirrorVersionFolder(set) : versionFolder);
    command.arguments = options
        + QStringList {sourceContents, mirror, QStringLiteral("--backup"), QStringLiteral("--backup-dir=") + versions};
    command.text = quoted(command.program) + QLatin1Char(' ') + options.join(QLatin1Char(' ')) + QLatin1Char(' ')
        + quoted(sourceContents) + QLatin1Char(' ') + quoted(mirror) + QStringLiteral(" --backup --backup-dir=")
        + quoted(versions);
    command.progress = ProgressFormat::Rsync;
    const QStringList exclusions = MirrorExclusionArguments(set);
    for (const QString& exclusion : exclusions)
        command.text += QLatin1Char(' ') + exclusion;
    command.arguments += exclusions;
    return command;
}

void CopyFolderTimes(const QString& source, const QString& copy)
{
    const auto copyTime = [](const QString& from, const QString& to) {
        struct stat status;
        if (::lstat(QFile::encodeName(from).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
            return;
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        ::utimensat(AT_FDCWD, QFile::encodeName(to).constData(), times, AT_SYMLINK_NOFOLLOW);
    };
    // Deepest first would not matter: setting a folder's time changes no other folder's.
    QDirIterator folders(copy, QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot | QDir::NoSymLinks,
        QDirIterator::Subdirectories);
    const qsizetype start = copy.size() + (copy.endsWith(QLatin1Char('/')) ? 0 : 1);
    while (folders.hasNext()) {
        const QString folder = folders.next();
        copyTime(FolderWithSeparator(source) + folder.mid(start), folder);
    }
    copyTime(source, copy);
}
