#include "ArchiveCommand.h"

#include "ArchivePlacement.h"
#include "EncryptedArchives.h"

#include "ExcludedFolders.h"
#include "FolderPaths.h"
#include "Overdue.h"
#include "SetHistory.h"
#include "Settings.h"
#include "TempFolder.h"
#include "ToolLocations.h"
#include "UpdateArchives.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

// In 7-Zip's recursive list "sub/cache/" leaves out every "cache" anywhere below "sub", an absolute path one
// level inside the source acts as a bare name, and a deeper one is ignored (an update run even fails on it).
// A folder inside the source therefore gets a non-recursive switch of its own, relative to the source, which
// leaves out that one folder and nothing else.
QStringList oneFolderSwitches(BackupSet& set)
{
    SortList(set.exPathList);
    QStringList switches;
    for (const QString& entry : std::as_const(set.exPathList)) {
        const FolderExclusion exclusion = ClassifyExcludedFolder(set.source, entry);
        if (exclusion.kind == FolderExclusion::OneFolderInside)
            switches.append(QStringLiteral("-xr-!") + exclusion.path);
    }
    return switches;
}

void appendArgument(Command& command, const QString& argument, bool quoted = false)
{
    command.arguments.append(argument);
    command.text += QLatin1Char(' ');
    command.text += quoted ? QLatin1Char('"') + argument + QLatin1Char('"') : argument;
}

} // namespace

namespace {

// With preview nothing is written, removed or remembered: 7-Zip is looked for without storing the answer,
// and the temporary names are shown by their patterns.
ArchiveBuild buildArchiveCommand(BackupSet& set, bool preview, bool startNewChain = false)
{
    ArchiveBuild build;
    const QString program
        = preview ? FirstSevenZip(SevenZipCandidates()) : (Locate7Zip() ? Settings().sevenZipPath.value() : QString());
    if (program.isEmpty()) {
        build.failure = BuildFailure::ToolMissing;
        return build;
    }
    const QString extension = ArcTypeName(set);
    if (extension.isEmpty() || CompLevelSwitch(set).isEmpty()) {
        build.failure = BuildFailure::ArchiveTypeInvalid;
        return build;
    }

    build.fullArchivePath = FullArchivePath(set);
    // The new full archive is built beside the old one under a hidden name and renamed over it when
    // complete: no copy between disks, and no dependence on the size of the temporary folder.
    build.scratchArchivePath
        = preview ? TemporaryNamePattern(build.fullArchivePath) : TemporaryNameBeside(build.fullArchivePath);

    // The old chain moves aside only as the new full archive takes its place, so a failed run leaves it whole.
    build.restartChain = startNewChain || ChainRunCount(set) >= Settings().chainLength;
    const bool updateMode
        = set.backupType != FullArchiving && QFileInfo(build.fullArchivePath).isFile() && !build.restartChain;
    if (updateMode)
        set.solid = false;
    build.archiveMode = updateMode ? QStringLiteral("u") : QStringLiteral("a");

    if (!set.exTypeList.isEmpty() || !set.exPathList.isEmpty()) {
        if (preview) {
            build.listFilePath = PrivateTempFolderPattern() + QStringLiteral("/lst.tmp");
        } else {
            build.listFilePath = WriteListFile(ExclusionListText(set), &build.error);
            // Running without the exclusions the user asked for could fill the destination with them.
            if (build.listFilePath.isEmpty()) {
                build.failure = BuildFailure::ListFileUnwritable;
                return build;
            }
        }
    }

    Command& command = build.command;
    command.program = program;
    // 7-Zip reads "*" in the source folder itself: given as "SOURCE/*", wildcard characters in the source
    // folder's own name would match its siblings too.
    command.workingFolder = TrimmedFolder(set.source);
    command.text = QStringLiteral("cd \"") + command.workingFolder + QStringLiteral("\" && ") + command.program;
    appendArgument(command, build.archiveMode);
    if (updateMode) {
        appendArgument(command, build.fullArchivePath);
        appendArgument(command, QStringLiteral("-u-"));
    } else {
        appendArgument(command, build.scratchArchivePath);
    }
    appendArgument(command, QStringLiteral("*"), true);
    appendArgument(command, QStringLiteral("-r"));
    // Links are stored as links: followed, a link to ".." never ends and one to another folder pulls that
    // folder's files into the archive.
    appendArgument(command, QStringLiteral("-snl"));
    // The percentage on standard output, for the progress the window and velmora-run show.
    appendArgument(command, QStringLiteral("-bsp1"));
    command.progress = ProgressFormat::SevenZip;
    if (!build.listFilePath.isEmpty()) {
        appendArgument(command, QStringLiteral("-x@") + build.listFilePath);
        for (const QString& folderSwitch : oneFolderSwitches(set))
            appendArgument(command, folderSwitch);
    }
    appendArgument(command, QStringLiteral("-t") + extension);
    appendArgument(command, QStringLiteral("-mx=") + CompLevelSwitch(set));
    if (set.solid && set.arcType == 0)
        appendArgument(command, QStringLiteral("-ms=on"));
    if (IsEncryptedSet(set)) {
        // "-p" without a value: 7-Zip reads the password on its standard input, which the job gives it, so it
        // is never on a command line. AES-256 in both types, never zip's old ZipCrypto; a 7z archive hides
        // its names too.
        appendArgument(command, QStringLiteral("-p"));
        appendArgument(command, set.arcType == 0 ? QStringLiteral("-mhe=on") : QStringLiteral("-mem=AES256"));
    }
    if (updateMode) {
        build.updateArchivePath
            = preview ? ArchivePath(set.target, UpdateArchiveName(set.arcName), extension) : FreeUpdateArchivePath(set);
        build.updateWritePath
            = preview ? TemporaryNamePattern(build.updateArchivePath) : TemporaryNameBeside(build.updateArchivePath);
        appendArgument(command, QStringLiteral("-up0q3x2z0!") + build.updateWritePath);
    }
    return build;
}

} // namespace

ArchiveBuild BuildArchiveCommand(BackupSet& set, bool startNewChain)
{
    return buildArchiveCommand(set, false, startNewChain);
}

ArchiveBuild PreviewArchiveCommand(BackupSet set)
{
    return buildArchiveCommand(set, true);
}

QString ExclusionListText(BackupSet& set)
{
    QString text;
    SortList(set.exTypeList);
    for (const QString& type : std::as_const(set.exTypeList))
        text += type + QLatin1Char('\n');
    SortList(set.exPathList);
    // Only folder names belong in the recursive list; folders inside the source get switches of their own.
    for (const QString& entry : std::as_const(set.exPathList)) {
        if (ClassifyExcludedFolder(set.source, entry).kind == FolderExclusion::AnyFolderNamed)
            text += entry + QLatin1Char('\n');
    }
    return text;
}

QString WriteListFile(const QString& text, QString* error)
{
    const QString path = MakeTempFileName(QStringLiteral("lst"), error);
    if (path.isEmpty())
        return {};
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = path + QStringLiteral(": ") + file.errorString();
        file.close();
        RemoveTempFile(path);
        return {};
    }
    return path;
}

QString DateStamp(bool longForm)
{
    return DateStampAt(ProgramClock(), longForm);
}

QString DateStampAt(const QDateTime& time, bool longForm)
{
    return time.toString(longForm ? QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'") : QStringLiteral("yyyy-MM-dd"));
}

QString UpdateArchiveName(const QString& arcName)
{
    return arcName + QStringLiteral("_upd_") + DateStamp(true);
}

QDateTime FreeRunTime(const BackupSet& set)
{
    QSet<QString> taken;
    for (const HistoryPoint& point : ReadSetHistory(set).points())
        taken.insert(point.stamp);
    const QString extension = ArcTypeName(set);
    QDateTime time = ProgramClock();
    time.setTime(QTime(time.time().hour(), time.time().minute(), time.time().second()));
    for (;; time = time.addSecs(1)) {
        const QString stamp = DateStampAt(time, true);
        if (taken.contains(stamp))
            continue;
        // Any file at the update archive's name (another program's, a link) keeps the name from this run too.
        const QString path = ArchivePath(set.target, set.arcName + QStringLiteral("_upd_") + stamp, extension);
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return time;
    }
}

QString FreeUpdateArchivePath(const BackupSet& set)
{
    const QString stamp = DateStampAt(FreeRunTime(set), true);
    return ArchivePath(set.target, set.arcName + QStringLiteral("_upd_") + stamp, ArcTypeName(set));
}

QString LastPathComponent(const QString& path)
{
    return path.mid(path.lastIndexOf(kPathSeparator) + 1);
}

int SplitAtSeparators(const QString& text, const QString& separators, QStringList& list)
{
    int appended = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (separators.contains(text.at(i))) {
            list.append(text.mid(start, i - start));
            ++appended;
            start = i + 1;
        }
    }
    if (start < text.size()) {
        list.append(text.mid(start));
        ++appended;
    }
    return appended;
}

QString ParentFolder(const QString& path)
{
    QStringList pieces;
    SplitAtSeparators(path, QString(kPathSeparator), pieces);
    QString parent;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
        parent += pieces.at(i) + kPathSeparator;
    return parent;
}
