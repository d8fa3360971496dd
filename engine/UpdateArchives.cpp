#include "UpdateArchives.h"

#include "ArchiveCommand.h"
#include "ChainHistory.h"
#include "RestorePoints.h"

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
