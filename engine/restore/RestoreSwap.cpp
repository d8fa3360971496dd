// A restore over the source: the staged files merged in file by file, what they replace sent to the trash, and
// every step undone when one fails.

#include "RestoreJobInternal.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

using namespace RestoreInternal;

namespace RestoreInternal {

namespace {

std::function<QString(const QString&)>& swapHook()
{
    static std::function<QString(const QString&)> hook;
    return hook;
}

} // namespace

// Every folder above a chosen path must be a real folder in the source, or be missing (it is made): a link
// there would take the restore elsewhere. The problem, or nothing.
QString notFolderAbove(const QString& source, const QStringList& paths)
{
    for (const QString& path : paths) {
        for (QString above = parentOf(path); !above.isEmpty(); above = parentOf(above)) {
            struct stat status;
            const QString there = source + QLatin1Char('/') + above;
            if (::lstat(encoded(there).constData(), &status) == 0 && !S_ISDIR(status.st_mode))
                return LoadStringById(StringId::RestoreSourceNotFolder).arg(there);
        }
    }
    return {};
}

// The folder's own times, to give back once renames inside it have changed them.
std::optional<SavedTime> folderTime(const QString& path)
{
    struct stat status;
    if (::lstat(encoded(path).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return std::nullopt;
    return SavedTime {path, {status.st_atim, status.st_mtim}};
}

void putTimeBack(const SavedTime& saved)
{
    ::utimensat(AT_FDCWD, encoded(saved.path).constData(), saved.times, AT_SYMLINK_NOFOLLOW);
}

// Whether an entry of the source is a trash folder: the home trash, or one at the top of a disk. A restore over
// the source puts what it replaces there, so it never restores over one nor moves one into the trash.
// The home trash as its path is written and as it is on disk, read once per restore.
QStringList homeTrashPaths()
{
    const QString homeTrash
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
    QStringList paths {QDir::cleanPath(homeTrash)};
    if (const QString canonical = QFileInfo(homeTrash).canonicalFilePath(); !canonical.isEmpty())
        paths.append(canonical);
    return paths;
}

bool isTrashFolder(const QString& absolute, const QStringList& homeTrash)
{
    static const QString ownTopTrash = QStringLiteral(".Trash-") + QString::number(::getuid());
    const QString name = absolute.mid(absolute.lastIndexOf(QLatin1Char('/')) + 1);
    return name == QLatin1String(".Trash") || name == ownTopTrash || homeTrash.contains(absolute);
}

namespace {

// What a link holds, read without following it; empty when it cannot be read.
QByteArray linkText(const QString& path)
{
    QByteArray text(PATH_MAX, '\0');
    const ssize_t length = ::readlink(encoded(path).constData(), text.data(), size_t(text.size()));
    return length < 0 ? QByteArray() : text.left(length);
}

// Puts the staged files into the source, file by file. A folder there that the point also has as a folder is
// entered, not replaced, so the files in it that the backup does not hold stay (unless removeOthers); anything
// else in the way of a restored entry goes to the desktop's trash (the trash of its own disk, by one rename),
// never deleted. Only names are renamed, so no link inside the source is ever followed (the folders above each
// path are checked to be real folders first). When a step fails, every step before it is undone in reverse,
// and what cannot come back out of the trash is named.
class OriginalSwap
{
public:
    OriginalSwap(const Staging& staged, const QString& source, bool removeOthers)
        : m_staged(staged)
        , m_source(source)
        , m_removeOthers(removeOthers)
    {
    }

    // Why it failed, or nothing.
    QString run(QStringList paths);
    // After a failure: the source's paths whose old entry is still in the trash.
    const QStringList& leftInTrash() const { return m_leftInTrash; }
    // After a success: how many entries went to the trash (a folder counts once).
    qint64 trashed() const { return m_trashed; }

private:
    enum class Step
    {
        MadeFolder,
        Trashed,
        PutInPlace,
    };
    struct Done
    {
        Step step;
        QString path;
        // Where a trashed entry went.
        QString inTrash;
    };
    struct MergedFolder
    {
        QString path;
        struct timespec times[2];
        mode_t mode;
    };

    QString currentOf(const QString& relative) const
    {
        return relative.isEmpty() ? m_source : m_source + QLatin1Char('/') + relative;
    }
    QString stagedOf(const QString& relative) const
    {
        return relative.isEmpty() ? m_staged.path() : m_staged.file(relative);
    }
    static QString joined(const QString& folder, const QString& name)
    {
        return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
    }
    static QStringList namesIn(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    bool isLeftAlone(const QString& relative) const
    {
        return (!relative.contains(QLatin1Char('/')) && isRestoreFolderName(relative))
            || isTrashFolder(currentOf(relative), m_homeTrash);
    }
    bool merge(const QString& relative);
    bool trash(const QString& relative);
    bool putInPlace(const QString& relative);
    void undo();

    const Staging& m_staged;
    QString m_source;
    bool m_removeOthers = false;
    QList<Done> m_done;
    QList<MergedFolder> m_merged;
    QString m_why;
    QStringList m_leftInTrash;
    qint64 m_trashed = 0;
    bool m_trashChecked = false;
    QStringList m_homeTrash = homeTrashPaths();
};

// Whether two regular files hold the same bytes; false when either cannot be read.
bool sameBytes(const QString& one, const QString& other)
{
    QFile first(one);
    QFile second(other);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
        return false;
    constexpr qint64 kChunk = 1 << 20;
    while (!first.atEnd()) {
        const QByteArray a = first.read(kChunk);
        if (a.isEmpty() || a != second.read(kChunk))
            return false;
    }
    return second.atEnd();
}

// A file on disk that is what the backup holds, bytes, rights and time, stays: moving it to the trash would only
// fill the trash with copies of what is restored.
bool isSameFile(
    const QString& staged, const struct stat& stagedStatus, const QString& current, const struct stat& currentStatus)
{
    return S_ISREG(stagedStatus.st_mode) && S_ISREG(currentStatus.st_mode)
        && stagedStatus.st_size == currentStatus.st_size && stagedStatus.st_mtim.tv_sec == currentStatus.st_mtim.tv_sec
        && (stagedStatus.st_mode & 07777) == (currentStatus.st_mode & 07777) && sameBytes(staged, current);
}

// The home trash, made when missing. Qt falls back on it for a disk without a trash of its own, and where it
// cannot make it, Qt 6.4 moves the file into "files" under the current folder instead: nothing may go to the
// trash until it is there. Why not, or nothing.
QString homeTrashProblem()
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString trash = dataHome + QStringLiteral("/Trash");
    if (dataHome.isEmpty())
        return LoadStringById(StringId::RestoreTrashUnusable).arg(trash, QString::fromLocal8Bit(std::strerror(ENOENT)));
    QString why = makePath(dataHome);
    if (why.isEmpty() && ::mkdir(encoded(trash).constData(), 0700) != 0 && errno != EEXIST)
        why = systemError();
    if (why.isEmpty() && !QFileInfo(trash).isDir())
        why = QString::fromLocal8Bit(std::strerror(ENOTDIR));
    return why.isEmpty() ? QString() : LoadStringById(StringId::RestoreTrashUnusable).arg(trash, why);
}

bool OriginalSwap::trash(const QString& relative)
{
    if (!m_trashChecked) {
        m_trashChecked = true;
        m_why = homeTrashProblem();
        if (!m_why.isEmpty())
            return false;
        // Made just now, perhaps inside the source: it is left alone from here on.
        m_homeTrash = homeTrashPaths();
    }
    QFile entry(currentOf(relative));
    // Qt renames it into the trash of its own disk with its path in the .trashinfo file, or fails: it never
    // copies, and the entry is never deleted instead.
    if (!entry.moveToTrash()) {
        m_why = LoadStringById(StringId::RestoreNotTrashed).arg(currentOf(relative), entry.errorString());
        return false;
    }
    // Only a trash's "files" folder is a place it may be left in: anywhere else it goes back at once.
    const QFileInfo inTrash(entry.fileName());
    if (!inTrash.isAbsolute() || QFileInfo(inTrash.path()).fileName() != QLatin1String("files")) {
        ::rename(encoded(entry.fileName()).constData(), encoded(currentOf(relative)).constData());
        m_why = LoadStringById(StringId::RestoreNotTrashed).arg(currentOf(relative), entry.fileName());
        return false;
    }
    m_done.append({Step::Trashed, relative, entry.fileName()});
    ++m_trashed;
    return true;
}

bool OriginalSwap::putInPlace(const QString& relative)
{
    if (const auto& hook = swapHook(); hook) {
        m_why = hook(relative);
        if (!m_why.isEmpty())
            return false;
    }
    if (::rename(encoded(stagedOf(relative)).constData(), encoded(currentOf(relative)).constData()) != 0) {
        m_why = systemError();
        return false;
    }
    m_done.append({Step::PutInPlace, relative, {}});
    return true;
}

bool OriginalSwap::merge(const QString& relative)
{
    if (isLeftAlone(relative))
        return true;
    struct stat staged;
    struct stat current;
    const bool isStaged = ::lstat(encoded(stagedOf(relative)).constData(), &staged) == 0;
    const bool isCurrent = ::lstat(encoded(currentOf(relative)).constData(), &current) == 0;
    if (!isStaged)
        return !isCurrent || !m_removeOthers || trash(relative);
    if (isCurrent && S_ISDIR(staged.st_mode) && S_ISDIR(current.st_mode)) {
        if (!relative.isEmpty())
            m_merged.append({relative, {staged.st_atim, staged.st_mtim}, staged.st_mode & 07777});
        const QStringList restored = namesIn(stagedOf(relative));
        for (const QString& name : restored) {
            if (!merge(joined(relative, name)))
                return false;
        }
        if (!m_removeOthers)
            return true;
        for (const QString& name : namesIn(currentOf(relative))) {
            const QString path = joined(relative, name);
            if (!restored.contains(name) && !isLeftAlone(path) && !trash(path))
                return false;
        }
        return true;
    }
    // The same link is left as it is: nothing would change, and a link that leads nowhere cannot go to the trash.
    if (isCurrent && S_ISLNK(staged.st_mode) && S_ISLNK(current.st_mode)) {
        const QByteArray restoredLink = linkText(stagedOf(relative));
        if (!restoredLink.isEmpty() && restoredLink == linkText(currentOf(relative)))
            return true;
    }
    if (isCurrent && isSameFile(stagedOf(relative), staged, currentOf(relative), current))
        return true;
    if (isCurrent && !trash(relative))
        return false;
    return putInPlace(relative);
}

void OriginalSwap::undo()
{
    for (auto it = m_done.crbegin(); it != m_done.crend(); ++it) {
        const QByteArray current = encoded(currentOf(it->path));
        switch (it->step) {
        case Step::PutInPlace:
            ::rename(current.constData(), encoded(stagedOf(it->path)).constData());
            break;
        case Step::Trashed:
            if (::rename(encoded(it->inTrash).constData(), current.constData()) == 0) {
                // Back in place: its record in the trash goes too, or the trash would show a ghost.
                const QFileInfo inTrash(it->inTrash);
                QFile::remove(inTrash.dir().filePath(
                    QStringLiteral("../info/") + inTrash.fileName() + QStringLiteral(".trashinfo")));
            } else {
                m_leftInTrash.append(currentOf(it->path));
            }
            break;
        case Step::MadeFolder:
            ::rmdir(current.constData());
            break;
        }
    }
}

QString OriginalSwap::run(QStringList paths)
{
    m_staged.dropMarker();
    paths = outermost(paths);
    if (const QString problem = notFolderAbove(m_source, paths); !problem.isEmpty())
        return problem;
    // The source's own time and those of the folders above a path are not the restore's to change.
    QList<SavedTime> times;
    QHash<QString, SavedTime> stagedTimes;
    QSet<QString> timed;
    for (const QString& path : std::as_const(paths)) {
        QString above = path;
        do {
            above = parentOf(above);
            if (timed.contains(above))
                break;
            timed.insert(above);
            if (const auto saved = folderTime(currentOf(above)))
                times.append(*saved);
            // Read before the swap, whose renames out of the staged folder change its time.
            if (const auto stagedFolder = folderTime(stagedOf(above)); stagedFolder && !above.isEmpty())
                stagedTimes.insert(above, *stagedFolder);
        } while (!above.isEmpty());
    }
    std::sort(times.begin(), times.end(),
        [](const SavedTime& a, const SavedTime& b) { return a.path.size() > b.path.size(); });

    if (paths.isEmpty())
        paths.append(QString());
    for (const QString& path : std::as_const(paths)) {
        QStringList missing;
        for (QString above = parentOf(path); !above.isEmpty(); above = parentOf(above)) {
            if (!entryExists(currentOf(above)))
                missing.prepend(above);
        }
        for (const QString& folder : std::as_const(missing)) {
            if (::mkdir(encoded(currentOf(folder)).constData(), 0777) != 0) {
                m_why = systemError();
                break;
            }
            m_done.append({Step::MadeFolder, folder, {}});
        }
        if (!m_why.isEmpty() || !merge(path))
            break;
    }

    if (m_why.isEmpty()) {
        // The folders kept and those made for a path get the restored time and rights, which the staged ones have.
        for (auto it = m_merged.crbegin(); it != m_merged.crend(); ++it) {
            ::chmod(encoded(currentOf(it->path)).constData(), it->mode);
            putTimeBack({currentOf(it->path), {it->times[0], it->times[1]}});
        }
        for (auto it = m_done.crbegin(); it != m_done.crend(); ++it) {
            if (it->step != Step::MadeFolder)
                continue;
            if (const auto saved = stagedTimes.constFind(it->path); saved != stagedTimes.cend())
                putTimeBack({currentOf(it->path), {saved->times[0], saved->times[1]}});
        }
        for (const SavedTime& saved : std::as_const(times))
            putTimeBack(saved);
        return {};
    }
    undo();
    for (const SavedTime& saved : std::as_const(times))
        putTimeBack(saved);
    return m_why;
}

} // namespace

// The restored files take the target's place: the staging folder becomes it, or, over the source, the
// chosen paths are swapped in. The failure's whole text, or nothing; *trashed counts what went to the trash.
QString placeRestored(
    const RestoreRequest& request, Staging& staging, const QString& target, const QStringList& paths, qint64* trashed)
{
    if (!request.overOriginal) {
        if (const QString why = placeStaging(staging, target); !why.isEmpty())
            return LoadStringById(StringId::RestoreNotPlaced).arg(target, why);
        staging.keep();
        return {};
    }
    OriginalSwap swap(staging, target, request.removeOthers);
    const QString why = swap.run(paths);
    if (trashed)
        *trashed = swap.trashed();
    if (why.isEmpty())
        return {};
    return swap.leftInTrash().isEmpty()
        ? LoadStringById(StringId::RestoreNotPlaced).arg(target, why)
        : LoadStringById(StringId::RestoreLeftInTrash).arg(target, why, swap.leftInTrash().join(QStringLiteral(", ")));
}

} // namespace RestoreInternal

QString OriginalRestoreProblem(const QString& source)
{
    struct stat status;
    if (source.trimmed().isEmpty() || !QDir::isAbsolutePath(source) || ::stat(encoded(source).constData(), &status) != 0
        || !S_ISDIR(status.st_mode))
        return LoadStringById(StringId::RestoreSourceMissing).arg(source);
    return {};
}

void SetOriginalSwapHook(std::function<QString(const QString& path)> hook)
{
    swapHook() = std::move(hook);
}
