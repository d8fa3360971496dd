#include "UpdateArchives.h"

#include "ArchivePath.h"
#include "SetHistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// Names of the set's update archives in its destination. Letter case counts: "docs" and "DOCS" are two sets.
QStringList updateArchiveFiles(const BackupSet& set)
{
    const QString extension = ArcTypeName(set);
    // Without a name, a type or a folder the pattern would reach other sets' files, or the current folder.
    if (set.arcName.isEmpty() || extension.isEmpty() || set.target.isEmpty())
        return {};
    const QString prefix = set.arcName + QStringLiteral("_upd_");
    const QString suffix = QLatin1Char('.') + extension;
    const QDir folder(set.target);
    QStringList matches;
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : files) {
        if (name.size() >= prefix.size() + suffix.size() && name.startsWith(prefix) && name.endsWith(suffix))
            matches.append(folder.filePath(name));
    }
    return matches;
}

// The points the files found give, counted as Restore would list them, and the kept chains beside them.
void describePoints(OldFiles& found, const BackupSet& set)
{
    found.historyFolder = ChainHistoryFolder(set);
    if (!found.historyFolder.isEmpty()) {
        const QFileInfo history(found.historyFolder);
        // A link planted at the history's name leads elsewhere: nothing there is this set's.
        if (history.isDir() && !history.isSymLink())
            found.keptChains = int(QDir(found.historyFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
    }
    if (found.fullArchive.isEmpty())
        return;
    found.restorePoints = 1;
    found.oldestPoint = found.newestPoint = QFileInfo(found.fullArchive).lastModified();
    const QString prefix = set.arcName + QStringLiteral("_upd_");
    for (const QString& file : std::as_const(found.updateArchives)) {
        const QString name = QFileInfo(file).completeBaseName();
        const QDateTime time = RestoreStampTime(name.mid(prefix.size()));
        if (!time.isValid())
            continue;
        ++found.restorePoints;
        found.oldestPoint = std::min(found.oldestPoint, time);
        found.newestPoint = std::max(found.newestPoint, time);
    }
}

} // namespace

namespace {

// The stamp of the set's full archive as the history reads it; empty without one.
QString currentFullStamp(const BackupSet& set)
{
    const QString full = FullArchivePath(set);
    const QFileInfo info(full);
    if (full.isEmpty() || !info.isFile() || info.isSymLink())
        return {};
    return RestoreStamp(info.lastModified());
}

// The count the set remembers for the full archive there now; 0 for none. A count for another full archive
// (replaced by hand, or the set file copied from elsewhere) says nothing.
int rememberedRuns(const BackupSet& set)
{
    const QStringList parts = set.chainRuns.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 2 || parts.at(1) != currentFullStamp(set))
        return 0;
    bool isNumber = false;
    const int remembered = parts.at(0).toInt(&isNumber);
    return isNumber ? std::max(remembered, 0) : 0;
}

} // namespace

int ChainRunCount(const BackupSet& set)
{
    return std::max(rememberedRuns(set), CountUpdateArchives(set));
}

QString ChainRunsAfterRun(const BackupSet& set, bool newChain)
{
    const QString stamp = currentFullStamp(set);
    if (stamp.isEmpty())
        return {};
    // Called with this run's update archive in place and before any thinning.
    const int runs = newChain ? 0 : std::max(rememberedRuns(set) + 1, CountUpdateArchives(set));
    return QString::number(runs) + QLatin1Char(' ') + stamp;
}

int CountUpdateArchives(const BackupSet& set)
{
    return int(updateArchiveFiles(set).size());
}

QStringList OldFiles::paths() const
{
    QStringList all = updateArchives;
    if (!fullArchive.isEmpty())
        all.prepend(fullArchive);
    return all;
}

OldFiles FindOldFiles(const BackupSet& set)
{
    OldFiles found;
    if (set.backupType == MirrorCopying)
        return found;
    // The full archive the archive job writes, with its extension; never TARGET/NAME alone, which the
    // program never wrote and may be the user's own file.
    const QString full = FullArchivePath(set);
    if (!full.isEmpty() && QFileInfo(full).isFile()) {
        found.fullArchive = full;
        found.bytes += QFileInfo(full).size();
    }
    found.updateArchives = updateArchiveFiles(set);
    found.updateArchives.sort();
    for (const QString& file : std::as_const(found.updateArchives))
        found.bytes += QFileInfo(file).size();
    describePoints(found, set);
    return found;
}

QStringList DeleteOldFiles(const OldFiles& files)
{
    QStringList failed;
    for (const QString& file : files.paths()) {
        if (!QFile::remove(file) && QFileInfo::exists(file))
            failed.append(file);
    }
    return failed;
}
