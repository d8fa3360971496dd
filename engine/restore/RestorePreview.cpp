// What a restore over the source would replace and what the backup does not hold, counted from the state and the
// disk before anything is extracted.

#include "RestoreJobInternal.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QHash>

#include <sys/stat.h>

using namespace RestoreInternal;

std::optional<OriginalRestorePreview> PreviewOriginalRestore(
    const QList<StateEntry>& state, const QString& source, const QStringList& chosen, QString* error)
{
    if (const QString problem = OriginalRestoreProblem(source); !problem.isEmpty()) {
        if (error)
            *error = problem;
        return std::nullopt;
    }
    QStringList paths;
    for (const QString& path : chosen)
        paths.append(cleanRelative(path));
    const QString root = QFileInfo(source).canonicalFilePath();
    if (const QString problem = notFolderAbove(root, paths); !problem.isEmpty()) {
        if (error)
            *error = problem;
        return std::nullopt;
    }
    struct OnDisk
    {
        bool isFolder = false;
        bool isLink = false;
        qint64 size = 0;
        qint64 seconds = 0;
    };
    // Every entry on disk by lstat: a link is a link here, and a linked folder is not entered.
    QHash<QString, OnDisk> disk;
    OriginalRestorePreview preview;
    QStringList trashFolders;
    const QStringList homeTrash = homeTrashPaths();
    QDirIterator walk(
        root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString path = walk.next();
        struct stat status;
        if (::lstat(encoded(path).constData(), &status) != 0)
            continue;
        OnDisk entry;
        entry.isFolder = S_ISDIR(status.st_mode);
        entry.isLink = S_ISLNK(status.st_mode);
        entry.size = status.st_size;
        entry.seconds = status.st_mtim.tv_sec;
        const QString relative = path.mid(root.size() + 1);
        // The restore's own folders and the trash are never restored over nor counted.
        if (isRestoreFolderName(relative.section(QLatin1Char('/'), 0, 0))
            || (!trashFolders.isEmpty() && isWithin(relative, trashFolders)))
            continue;
        if (entry.isFolder && isTrashFolder(path, homeTrash)) {
            trashFolders.append(relative);
            continue;
        }
        if (!entry.isFolder && !isWithin(relative, paths))
            ++preview.left;
        else
            disk.insert(relative, entry);
    }
    // What the point holds within the choice: true for a folder.
    QHash<QString, bool> held;
    for (const StateEntry& entry : state) {
        // Never written, so never counted as what the restore would write.
        if (entry.refused || !isWithin(entry.path, paths))
            continue;
        held.insert(entry.path, entry.isFolder);
        if (entry.isFolder)
            continue;
        const auto there = disk.constFind(entry.path);
        if (there == disk.cend()) {
            ++preview.added;
            continue;
        }
        // A folder in the way goes to the trash whole: its files are counted below.
        if (there->isFolder)
            continue;
        // A link's size is the length of what it points to, in the archive as on disk.
        const bool same = there->isLink == entry.isLink
            && (entry.isLink ? entry.size == 0 || there->size == entry.size : there->size == entry.size)
            && (!entry.modified.isValid() || there->seconds == entry.modified.toSecsSinceEpoch());
        // Files the same as the backup's stay where they are unless their bytes or rights differ after all.
        if (same) {
            ++preview.unchanged;
            continue;
        }
        ++preview.overwritten;
        preview.replacedPaths.append(entry.path);
    }
    for (auto file = disk.cbegin(); file != disk.cend(); ++file) {
        if (file->isFolder || !isWithin(file.key(), paths) || (held.contains(file.key()) && !held.value(file.key())))
            continue;
        // A file where the point has a folder, or inside a folder where the point has a file, is in the way.
        bool inTheWay = held.contains(file.key());
        for (QString above = parentOf(file.key()); !inTheWay && !above.isEmpty(); above = parentOf(above))
            inTheWay = held.contains(above) && !held.value(above);
        if (inTheWay) {
            ++preview.overwritten;
            preview.replacedPaths.append(file.key());
        } else {
            ++preview.notInBackup;
            preview.notInBackupPaths.append(file.key());
        }
    }
    preview.replacedPaths.sort();
    preview.notInBackupPaths.sort();
    return preview;
}
