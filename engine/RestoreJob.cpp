// The restore job: 7-Zip (or rsync for a mirror) writes into a hidden staging folder beside the target,
// the links and folder times are put right from the listing, and one rename makes it the target.

#include "RestoreJob.h"

#include "ArchiveCommand.h"
#include "ArchivePasswords.h"
#include "ArchivePlacement.h"
#include "EncryptedArchives.h"
#include "IniFile.h"
#include "LeftoverFiles.h"
#include "MirrorCommand.h"
#include "MirrorVersions.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "StagingTree.h"
#include "StringTable.h"
#include "TempFolder.h"
#include "ToolLocations.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QSet>
#include <QStandardPaths>
#include <QSysInfo>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace {

JobResult failure(const QString& name, JobOutcome outcome, const QString& reason, int exitCode = 0)
{
    return {outcome, name, exitCode, reason, {}};
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

bool entryExists(const QString& path)
{
    struct stat status;
    return ::lstat(encoded(path).constData(), &status) == 0;
}

// A path as the archive names it: relative, "/" between names, nothing above the source. Empty for one that
// is not (absolute, "..", or the source itself).
QString cleanRelative(const QString& path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return {};
    const QString clean = QDir::cleanPath(path);
    if (clean == QLatin1String(".") || clean == QLatin1String("..") || clean.startsWith(QLatin1String("../")))
        return {};
    return clean;
}

bool isWithin(const QString& path, const QStringList& chosen)
{
    if (chosen.isEmpty())
        return true;
    for (const QString& root : chosen) {
        if (path == root
            || (path.startsWith(root) && path.size() > root.size() && path.at(root.size()) == QLatin1Char('/')))
            return true;
    }
    return false;
}

// Whether the folder holds one of the chosen paths.
bool isAbove(const QString& folder, const QStringList& chosen)
{
    const QString prefix = folder + QLatin1Char('/');
    return std::any_of(chosen.cbegin(), chosen.cend(), [&](const QString& root) { return root.startsWith(prefix); });
}

// The chosen paths without those another chosen path holds.
QStringList outermost(const QStringList& paths)
{
    QStringList kept;
    for (const QString& path : paths) {
        const bool inside = std::any_of(paths.cbegin(), paths.cend(),
            [&](const QString& other) { return other != path && isWithin(path, {other}); });
        if (!inside && !kept.contains(path))
            kept.append(path);
    }
    return kept;
}

// What the messages call the point: its mirror folder, or its chain's full archive by name.
QString pointName(const RestorePoint& point)
{
    if (point.kind == RestorePoint::Kind::Mirror)
        return QFileInfo(point.path).fileName();
    return QFileInfo(point.fullArchive.isEmpty() ? point.path : point.fullArchive).completeBaseName();
}

// Whether 7-Zip can take the name from a list file, which it reads line by line with the blanks at either end
// taken off; any other name goes on the command line.
bool fitsListFile(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r'))
        && !name.front().isSpace() && !name.back().isSpace();
}

// The names for a 7-Zip command, with -spd so that none is a wildcard: those a list file carries in one
// written with the switch (its path in *listFile, to be removed), the rest as switch + name each. Empty
// names come back as an empty list; nothing when the list file could not be written.
std::optional<QStringList> nameArguments(
    const QStringList& names, const QString& listSwitch, const QString& nameSwitch, QString* listFile, QString* error)
{
    QString listed;
    QStringList arguments;
    for (const QString& name : names) {
        if (fitsListFile(name))
            listed += name + QLatin1Char('\n');
        else
            arguments.append(nameSwitch + name);
    }
    if (!listed.isEmpty()) {
        *listFile = WriteListFile(listed, error);
        if (listFile->isEmpty())
            return std::nullopt;
        arguments.prepend(listSwitch + *listFile);
    }
    return arguments;
}

// Reads what the archive stores for each link: its target, the link's whole content. 7-Zip writes the
// chosen items one after the other in the archive's order, so the listed sizes split them.
std::optional<QList<QByteArray>> linkTargets(const QString& program, const QString& archive, const QStringList& names,
    const QList<qint64>& sizes, const QStringList& below, const QByteArray& passwordInput, const RunControl* control,
    QString* error)
{
    if (names.isEmpty())
        return QList<QByteArray>();
    QString list;
    auto selection = nameArguments(names, QStringLiteral("-i@"), QStringLiteral("-i!"), &list, error);
    if (!selection)
        return std::nullopt;
    // 7-Zip takes a chosen name with all below it: entries an archive lists below a link's name stay out.
    QString belowList;
    const auto left = nameArguments(below, QStringLiteral("-x@"), QStringLiteral("-x!"), &belowList, error);
    if (!left) {
        if (!list.isEmpty())
            RemoveTempFile(list);
        return std::nullopt;
    }
    *selection += *left;
    Command read;
    read.program = program;
    read.arguments = {QStringLiteral("e"), QStringLiteral("-so"), QStringLiteral("-spd"), QStringLiteral("-scsUTF-8")};
    read.arguments += *selection;
    read.arguments += {QStringLiteral("--"), archive};
    read.standardInput = passwordInput;
    qint64 expected = 0;
    for (const qint64 size : sizes)
        expected += size;
    // Room for every target whole; more than that is no link's content.
    read.resultPartBytes = qsizetype(std::clamp<qint64>(expected + 1, kDefaultResultPartBytes, kListingOutputBytes));
    const QuietRun run = RunQuietly(read, control);
    WipeBytes(read.standardInput);
    if (!list.isEmpty())
        RemoveTempFile(list);
    if (!belowList.isEmpty())
        RemoveTempFile(belowList);
    const QByteArray& bytes = run.output;
    qint64 total = 0;
    for (const qint64 size : sizes)
        total += size;
    if (!run.ran || run.exitCode != 0 || bytes.size() != total) {
        if (error)
            *error = run.secondOutput.trimmed();
        return std::nullopt;
    }
    QList<QByteArray> targets;
    qsizetype at = 0;
    for (const qint64 size : sizes) {
        targets.append(bytes.mid(at, size));
        at += size;
    }
    return targets;
}

// Whether a listed path fits a pattern in which "?" stands for any one character of a name.
bool fitsPattern(const QString& path, const QString& pattern)
{
    if (path.size() != pattern.size())
        return false;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (pattern.at(i) == QLatin1Char('?') ? path.at(i) == QLatin1Char('/') : path.at(i) != pattern.at(i))
            return false;
    }
    return true;
}

// The names the links have in the archive where the listing shows a "_", which may be a line break there:
// 7-Zip writes the links the wildcards pick into a private folder, where their names are read back. A link
// whose name is not in the answer cannot be told for sure (its wildcard fits another entry too).
QHash<QString, QString> linkNamesInArchive(const QString& program, const QString& archive,
    const QList<ArchiveItem>& items, const QStringList& listed, const QByteArray& passwordInput,
    const RunControl* control)
{
    QHash<QString, QString> names;
    QStringList patterns;
    QStringList sure;
    for (const QString& link : listed) {
        // A name with wildcards of its own cannot be picked by one alone.
        if (link.contains(QLatin1Char('*')) || link.contains(QLatin1Char('?')) || !fitsListFile(link))
            continue;
        QString pattern = link;
        pattern.replace(QLatin1Char('_'), QLatin1Char('?'));
        const qsizetype fitting = std::count_if(items.cbegin(), items.cend(), [&](const ArchiveItem& item) {
            return fitsPattern(item.path, pattern)
                || (item.path.size() > pattern.size() && item.path.at(pattern.size()) == QLatin1Char('/')
                    && fitsPattern(item.path.left(pattern.size()), pattern));
        });
        if (fitting == 1) {
            patterns.append(pattern);
            sure.append(link);
        }
    }
    if (patterns.isEmpty())
        return names;
    QString error;
    const QString list = WriteListFile(patterns.join(QLatin1Char('\n')) + QLatin1Char('\n'), &error);
    if (list.isEmpty())
        return names;
    const QString scratch = QFileInfo(list).path() + QStringLiteral("/links");
    if (::mkdir(encoded(scratch).constData(), 0700) == 0) {
        Command extract;
        extract.program = program;
        // Wildcards on; -snld: each link is made whatever it points to, only to be read here, never followed.
        extract.arguments
            = {QStringLiteral("x"), QStringLiteral("-y"), QStringLiteral("-snld"), QStringLiteral("-scsUTF-8"),
                QStringLiteral("-o."), QStringLiteral("-i@") + list, QStringLiteral("--"), archive};
        extract.workingFolder = scratch;
        extract.standardInput = passwordInput;
        const QuietRun run = RunQuietly(extract, control);
        WipeBytes(extract.standardInput);
        const StagingTree tree(scratch);
        if (run.ran && run.exitCode == 0 && tree.isOpen()) {
            for (const QString& link : std::as_const(sure)) {
                const std::optional<QString> name = tree.nameOnDisk(link);
                if (name && tree.kindOf(*name) == StagingTree::Kind::Link)
                    names.insert(link, *name);
            }
        }
        RemoveWholeFolder(scratch);
    }
    RemoveTempFile(list);
    return names;
}

// A file inside each staging folder names it as a restore's and names the process writing it, so that a
// later restore can tell the folder of one that was killed from anything else that looks alike.
const QString kStagingMarker = QStringLiteral(".velmora-restore-staging");
const QByteArray kStagingMarkerHeading = QByteArrayLiteral("Velmora restore staging");

// When the process started, in clock ticks since boot: with the pid it names one process, also after the pid
// has been given to another. Empty when the process is gone.
QByteArray processStart(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    // The name in parentheses may hold blanks and parentheses; the fields after the last ")" do not. The state
    // is the first of them, the start time the twentieth.
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return {};
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    return fields.size() > 19 ? fields.at(19) : QByteArray();
}

} // namespace

QString RestoreStagingMarkerName()
{
    return kStagingMarker;
}

QByteArray RestoreStagingMarker(qint64 pid)
{
    return kStagingMarkerHeading + "\nhost " + QSysInfo::machineHostName().toUtf8() + "\npid " + QByteArray::number(pid)
        + ' ' + processStart(pid) + '\n';
}

namespace {

QString writeMarker(const QString& staging)
{
    const QByteArray path = encoded(staging + QLatin1Char('/') + kStagingMarker);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return systemError();
    const QByteArray text = RestoreStagingMarker(::getpid());
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    const QString why = written ? QString() : systemError();
    ::close(fd);
    return why;
}

// Whether the folder is a staging folder this user's restore made on this computer, and the process that
// made it is gone. Anything else, a marker that is not a plain file or not exactly ours included, stays.
bool isAbandonedStaging(const QString& folder)
{
    struct stat status;
    if (::lstat(encoded(folder).constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid())
        return false;
    const QString markerPath = folder + QLatin1Char('/') + kStagingMarker;
    if (::lstat(encoded(markerPath).constData(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > 4096)
        return false;
    QFile marker(markerPath);
    if (!marker.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = marker.readAll().split('\n');
    if (lines.size() < 3 || lines.at(0) != kStagingMarkerHeading
        || lines.at(1) != "host " + QSysInfo::machineHostName().toUtf8() || !lines.at(2).startsWith("pid "))
        return false;
    const QList<QByteArray> owner = lines.at(2).mid(4).split(' ');
    bool isNumber = false;
    const qint64 pid = owner.value(0).toLongLong(&isNumber);
    if (!isNumber || pid <= 0 || owner.size() != 2)
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return true;
    // The pid lives: it is the restore's own process unless that process started at another time.
    const QByteArray start = processStart(pid);
    return !start.isEmpty() && start != owner.at(1);
}

// Also where the restore wrote a folder without write permission for its owner, or paths too long to name whole.
void removeTree(const QString& folder)
{
    RemoveWholeFolder(folder);
}

// Over the source, the staging folder and the folder holding what is moved aside go inside it: its parent
// may be another file system (a source that is a mount point) or not writable (a home folder).
const QString kInsideSourceName = QStringLiteral("velmora-restore");

// Whether a name at the top of the source is a restore's own folder, never restored over or counted.
bool isRestoreFolderName(const QString& name)
{
    return name.startsWith(QLatin1Char('.') + kInsideSourceName);
}

class Staging
{
public:
    // Beside the target, or inside it when restoring over it.
    Staging(const QString& target, bool inside)
        : m_path(TemporaryNameBeside(inside ? target + QLatin1Char('/') + kInsideSourceName : target))
    {
    }
    ~Staging()
    {
        if (!m_kept && entryExists(m_path))
            removeTree(m_path);
    }
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;

    const QString& path() const { return m_path; }
    QString file(const QString& relative) const { return m_path + QLatin1Char('/') + relative; }
    void keep() { m_kept = true; }
    // Takes the marker out, just before the folder becomes the target, and leaves the folder its time.
    void dropMarker() const
    {
        struct stat status;
        const bool timed = ::lstat(encoded(m_path).constData(), &status) == 0;
        ::unlink(encoded(file(kStagingMarker)).constData());
        if (timed) {
            const struct timespec times[2] = {status.st_atim, status.st_mtim};
            ::utimensat(AT_FDCWD, encoded(m_path).constData(), times, AT_SYMLINK_NOFOLLOW);
        }
    }

private:
    QString m_path;
    bool m_kept = false;
};

// The staged folder becomes the target. An empty target folder gives way to it first, and comes back when
// the rename fails.
QString placeStaging(const Staging& staged, const QString& target)
{
    staged.dropMarker();
    const QString& staging = staged.path();
    const bool hadFolder = entryExists(target);
    if (hadFolder && ::rmdir(encoded(target).constData()) != 0)
        return systemError();
    if (::rename(encoded(staging).constData(), encoded(target).constData()) != 0) {
        const QString why = systemError();
        if (hadFolder)
            QDir().mkdir(target);
        return why;
    }
    return {};
}

// Makes a folder and those above it, and says why not in the system's words.
QString makePath(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    qsizetype at = clean.startsWith(QLatin1Char('/')) ? 1 : 0;
    while (at <= clean.size()) {
        qsizetype slash = clean.indexOf(QLatin1Char('/'), at);
        if (slash < 0)
            slash = clean.size();
        const QByteArray part = encoded(clean.left(slash));
        if (!part.isEmpty() && ::mkdir(part.constData(), 0777) != 0) {
            const int why = errno;
            struct stat status;
            if (why != EEXIST)
                return QString::fromLocal8Bit(std::strerror(why));
            if (::stat(part.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
                return QString::fromLocal8Bit(std::strerror(ENOTDIR));
        }
        at = slash + 1;
    }
    return {};
}

std::function<QString(const QString&)>& swapHook()
{
    static std::function<QString(const QString&)> hook;
    return hook;
}

QString parentOf(const QString& relative)
{
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : relative.left(slash);
}

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

struct SavedTime
{
    QString path;
    struct timespec times[2];
};

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

// Puts the staged files into the source, file by file. A folder there that the point also has as a folder is
// entered, not replaced, so the files in it that the backup does not hold stay (unless removeOthers); anything
// else in the way of a restored entry goes to the desktop's trash (the trash of its own disk, by one rename),
// never deleted. Only names are renamed, so no link inside the source is ever followed (the folders above each
// path are checked to be real folders first). When a step fails, every step before it is undone in reverse,
// and what cannot come back out of the trash is named.
// What a link holds, read without following it; empty when it cannot be read.
QByteArray linkText(const QString& path)
{
    QByteArray text(PATH_MAX, '\0');
    const ssize_t length = ::readlink(encoded(path).constData(), text.data(), size_t(text.size()));
    return length < 0 ? QByteArray() : text.left(length);
}

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

// The restored files take the target's place: the staging folder becomes it, or, over the source, the
// chosen paths are swapped in. The failure's whole text, or nothing; *trashed counts what went to the trash.
QString placeRestored(const RestoreRequest& request, Staging& staging, const QString& target, const QStringList& paths,
    qint64* trashed = nullptr)
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

struct ToolRun
{
    std::optional<JobResult> failed;
    int exitCode = 0;
    PasswordTrouble passwordTrouble = PasswordTrouble::None;
    // What the tool wrote, both streams.
    QString output;
};

ToolRun runTool(const Command& command, const JobContext& context, const QString& name, const QString& target)
{
    ToolRun outcome;
    const RunResult run = RunJobTool(command, context);
    const RunControl::Reason stop = context.control ? context.control->stopReason() : RunControl::Reason::None;
    if (run.stopped || stop != RunControl::Reason::None) {
        outcome.failed = stop == RunControl::Reason::TimeLimit
            ? failure(name, JobOutcome::TimedOut,
                LoadStringById(StringId::RestoreTimedOut).arg(context.timeLimit.count()).arg(target))
            : failure(name, JobOutcome::Stopped, LoadStringById(StringId::RestoreStopped).arg(target));
        return outcome;
    }
    const QString tool = ToolName(command);
    if (run.exitSignal != 0) {
        outcome.failed
            = failure(name, JobOutcome::ToolFailed, LoadStringById(StringId::ToolKilled).arg(tool).arg(run.exitSignal));
    } else if (!run.error.isEmpty()) {
        outcome.failed
            = failure(name, JobOutcome::StartFailed, LoadStringById(StringId::ToolNotRun).arg(tool, run.error));
    }
    outcome.exitCode = run.exitCode;
    outcome.output = run.output + QLatin1Char('\n') + run.secondOutput;
    if (!outcome.failed)
        outcome.passwordTrouble = PasswordTroubleOf(run.exitCode, run.output, run.secondOutput);
    return outcome;
}

Command extractCommand(const QString& program, const QString& archive, const QString& staging,
    const QStringList& exclusions, const QStringList& paths, const QByteArray& passwordInput)
{
    Command command;
    // No "-p": 7-Zip reads the password on standard input when the archive needs one.
    command.standardInput = passwordInput;
    command.program = program;
    // Run inside the staging folder and writing relative to it: the paths 7-Zip makes then stay as long as the
    // archive's own, which the backup could read, and not longer by the staging folder's path.
    command.workingFolder = staging;
    command.arguments = {QStringLiteral("x"), QStringLiteral("-aoa"), QStringLiteral("-y"), QStringLiteral("-bsp1"),
        QStringLiteral("-spd"), QStringLiteral("-scsUTF-8"), QStringLiteral("-o.")};
    command.arguments.append(exclusions);
    command.arguments.append(QStringLiteral("--"));
    command.arguments.append(archive);
    command.arguments.append(paths);
    command.text = program;
    for (const QString& argument : std::as_const(command.arguments))
        command.text += QStringLiteral(" \"") + argument + QLatin1Char('"');
    command.progress = ProgressFormat::SevenZip;
    return command;
}

// A mirror's files as of an earlier time: each entry comes from the mirror or from the version folder that
// holds it as it was then, one rsync run per folder with the list of what it gives, into the empty staging
// folder. The state is read from the disk without following any link, and rsync is given only the entries of
// it, never a folder to recurse into, so a link planted in the history is copied as a link and never entered.
// rsync copying from the mirror or its versions into the staging folder; 24, files that vanished from the mirror
// while rsync read it, is no failure.
ToolRun runRsync(Command& command, const JobContext& context, const QString& name, const QString& target)
{
    command.text = command.program + QLatin1Char(' ') + command.arguments.join(QLatin1Char(' '));
    command.progress = ProgressFormat::Rsync;
    ToolRun run = runTool(command, context, name, target);
    if (!run.failed && run.exitCode != 0 && run.exitCode != 24)
        run.failed = failure(name, JobOutcome::ToolFailed,
            LoadStringById(StringId::RestoreToolFailed).arg(ToolName(command)).arg(run.exitCode).arg(target),
            run.exitCode);
    return run;
}

JobResult restoreMirrorAsOf(const RestoreRequest& request, const JobContext& context, const QString& target,
    const QStringList& paths, Staging& staging)
{
    const RestorePoint& point = request.points.at(request.index);
    const QString name = pointName(point);
    QString error;
    const QList<MirrorStateEntry> state = MirrorStateAsOf(point.path, request.mirrorAsOf, paths, &error);
    if (!error.isEmpty())
        return failure(name, JobOutcome::SourceMissing, error);
    const QString asOf = RestoreStamp(request.mirrorAsOf);
    QSet<QString> held;
    for (const MirrorStateEntry& entry : state)
        held.insert(entry.path);
    for (const QString& path : paths) {
        if (!held.contains(path))
            return failure(
                name, JobOutcome::SourceMissing, LoadStringById(StringId::RestorePathMissing).arg(path, asOf));
    }
    if (state.isEmpty() && !paths.isEmpty())
        return failure(name, JobOutcome::SourceMissing, LoadStringById(StringId::RestoreNoPoint));
    // The mirror first, then the versions: no two give the same entry, so the order only decides who makes a
    // folder that several give files into, and its time is set last from the folder that holds it.
    QStringList origins;
    QHash<QString, QByteArray> lists;
    for (const MirrorStateEntry& entry : state) {
        if (!lists.contains(entry.origin))
            origins.append(entry.origin);
        lists[entry.origin] += encoded(entry.path) + '\0';
    }
    int exitCode = 0;
    for (const QString& origin : std::as_const(origins)) {
        QString why;
        const QString listFile = MakeTempFileName(QStringLiteral("velmora-mirror-files"), &why);
        if (listFile.isEmpty())
            return failure(name, JobOutcome::PrepareFailed, why);
        const auto removeList = qScopeGuard([&listFile] { RemoveTempFile(listFile); });
        QFile list(listFile);
        if (!list.open(QIODevice::WriteOnly) || list.write(lists.value(origin)) != lists.value(origin).size()
            || !list.flush())
            return failure(name, JobOutcome::PrepareFailed,
                LoadStringById(StringId::RestoreFolderNotMade).arg(listFile, list.errorString()));
        list.close();
        Command command;
        command.program = RobocopyPath();
        // With a list -a does not recurse: only the listed entries are copied, their folders made as needed.
        command.arguments = {QStringLiteral("-a"), QStringLiteral("--info=progress2"), QStringLiteral("--from0"),
            QStringLiteral("--files-from=") + listFile, origin + QLatin1Char('/'), staging.path() + QLatin1Char('/')};
        const ToolRun run = runRsync(command, context, name, target);
        if (run.failed)
            return *run.failed;
        exitCode = std::max(exitCode, run.exitCode);
    }
    const auto copyTime = [&staging](const QString& from, const QString& relative) {
        struct stat status;
        if (::lstat(encoded(from).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
            return;
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        const QString to = relative.isEmpty() ? staging.path() : staging.path() + QLatin1Char('/') + relative;
        ::utimensat(AT_FDCWD, encoded(to).constData(), times, AT_SYMLINK_NOFOLLOW);
    };
    for (const MirrorStateEntry& entry : state) {
        if (entry.kind == MirrorStateEntry::Kind::Folder)
            copyTime(entry.origin + QLatin1Char('/') + entry.path, entry.path);
    }
    copyTime(point.path, {});
    // The staging folder was made private; the restored folder gets the mirror's rights, as rsync gives them
    // when it copies the mirror whole.
    if (struct stat root; ::lstat(encoded(point.path).constData(), &root) == 0 && S_ISDIR(root.st_mode))
        ::chmod(encoded(staging.path()).constData(), root.st_mode & 07777);
    if (context.copying)
        context.copying();
    qint64 trashed = 0;
    if (const QString placeError = placeRestored(request, staging, target, paths, &trashed); !placeError.isEmpty())
        return failure(name, JobOutcome::PlaceFailed, placeError);
    JobResult done {JobOutcome::Done, name, exitCode, {}, {}};
    if (exitCode != 0)
        done.warning = LoadStringById(StringId::FilesVanished);
    if (trashed > 0)
        done.note = LoadStringById(StringId::RestoreTrashedNote).arg(trashed);
    return done;
}

JobResult restoreMirror(const RestoreRequest& request, const JobContext& context, const QString& target,
    const QStringList& paths, Staging& staging)
{
    const RestorePoint& point = request.points.at(request.index);
    const QString name = pointName(point);
    if (request.mirrorAsOf.isValid()) {
        if (!RsyncAvailable())
            return failure(name, JobOutcome::ToolMissing, LoadStringById(StringId::RsyncMissing));
        return restoreMirrorAsOf(request, context, target, paths, staging);
    }
    if (!RsyncAvailable())
        return failure(name, JobOutcome::ToolMissing, LoadStringById(StringId::RsyncMissing));
    if (!QFileInfo(point.path).isDir())
        return failure(name, JobOutcome::SourceMissing, LoadStringById(StringId::RestoreMirrorMissing).arg(point.path));
    for (const QString& path : paths) {
        if (!entryExists(point.path + QLatin1Char('/') + path))
            return failure(
                name, JobOutcome::SourceMissing, LoadStringById(StringId::RestorePathMissing).arg(path, point.stamp));
    }
    Command command;
    command.program = RobocopyPath();
    // Into the empty staging folder, so nothing is ever deleted; "/./" marks where the kept path starts.
    command.arguments = {QStringLiteral("-a"), QStringLiteral("--info=progress2")};
    if (paths.isEmpty()) {
        command.arguments.append(point.path + QLatin1Char('/'));
    } else {
        command.arguments.append(QStringLiteral("--relative"));
        for (const QString& path : paths)
            command.arguments.append(point.path + QStringLiteral("/./") + path);
    }
    command.arguments.append(staging.path() + QLatin1Char('/'));
    const ToolRun run = runRsync(command, context, name, target);
    if (run.failed)
        return *run.failed;
    CopyFolderTimes(point.path, staging.path());
    if (context.copying)
        context.copying();
    qint64 trashed = 0;
    if (const QString error = placeRestored(request, staging, target, paths, &trashed); !error.isEmpty())
        return failure(name, JobOutcome::PlaceFailed, error);
    JobResult done {JobOutcome::Done, name, run.exitCode, {}, {}};
    if (run.exitCode != 0)
        done.warning = LoadStringById(StringId::FilesVanished);
    if (trashed > 0)
        done.note = LoadStringById(StringId::RestoreTrashedNote).arg(trashed);
    return done;
}

// Before an update archive is extracted over the full archive's files: where the kind of an entry changed
// (a file became a folder, a folder a file or link), the old one goes, since 7-Zip will not put a folder in
// place of a file nor a file in place of a folder. Every step stays inside the staging folder.
void clearChangedKinds(const StagingTree& tree, const QList<ArchiveItem>& items, const QStringList& paths)
{
    using Kind = StagingTree::Kind;
    QSet<QString> folders;
    for (const ArchiveItem& item : items) {
        if (item.deleted || IsUnsafeEntryPath(item.path) || !isWithin(item.path, paths))
            continue;
        QStringList above;
        for (QString folder = parentOf(item.path); !folder.isEmpty() && !folders.contains(folder);
             folder = parentOf(folder))
            above.prepend(folder);
        for (const QString& folder : std::as_const(above)) {
            const Kind kind = tree.kindOf(folder);
            if (kind == Kind::File || kind == Kind::Link)
                tree.remove(folder);
            folders.insert(folder);
        }
        const Kind kind = tree.kindOf(item.path);
        if (item.isFolder ? kind == Kind::File || kind == Kind::Link : kind == Kind::Folder)
            tree.remove(item.path);
    }
}

// Whether 7-Zip's failure is one of the archive or of the disk, after which nothing it wrote can be trusted,
// rather than of one entry it could not write.
bool isArchiveOrDiskTrouble(const QString& output)
{
    static const char* const kWords[] = {"Data Error", "CRC Failed", "Unexpected end", "Headers Error", "Unsupported",
        "Wrong password", "No space left", "Disk quota", "not enough space", "Is not archive",
        "Can not open the file as archive", "Input/output error", "Read-only file system"};
    return std::any_of(std::begin(kWords), std::end(kWords),
        [&output](const char* word) { return output.contains(QLatin1String(word), Qt::CaseInsensitive); });
}

// The entries of the state that 7-Zip did not write whole (missing, another kind, another size), with what
// it left of them removed. Everything when not one was written.
QStringList entriesNotWritten(const StagingTree& tree, const QList<StateEntry>& state, const QStringList& paths)
{
    using Kind = StagingTree::Kind;
    QStringList missing;
    qsizetype checked = 0;
    for (const StateEntry& entry : state) {
        if (entry.refused || entry.isLink || !isWithin(entry.path, paths))
            continue;
        ++checked;
        const std::optional<QString> onDisk = tree.nameOnDisk(entry.path);
        qint64 size = -1;
        const Kind kind = onDisk ? tree.kindOf(*onDisk, &size) : Kind::Missing;
        const bool whole = entry.isFolder ? kind == Kind::Folder : kind == Kind::File && size == entry.size;
        if (whole)
            continue;
        if (onDisk && kind != Kind::Folder)
            tree.remove(*onDisk);
        missing.append(entry.path);
    }
    return missing.size() < checked ? missing : QStringList();
}

// The entries a restore left out, in one text that stays readable however many there are.
QString shownList(const QStringList& lines)
{
    constexpr qsizetype kShown = 20;
    QString text = lines.mid(0, kShown).join(QStringLiteral("; "));
    if (lines.size() > kShown)
        text += QLatin1Char(' ') + LoadStringById(StringId::RestoreMoreNotRestored).arg(lines.size() - kShown);
    return text;
}

// One archive a restore extracts: its items, the links made by hand (with their names in the archive), and the
// names 7-Zip is told to leave out.
struct Step
{
    QString archive;
    const QList<ArchiveItem>* items = nullptr;
    QList<ArchiveItem> links;
    QStringList linkNames;
    QStringList left;
};

// The paths where a zip update archive holds both a mark and the entry that replaced it (see ArchiveItem).
QSet<QString> markedKindChanges(const QList<ArchiveItem>& items)
{
    QSet<QString> marked;
    QSet<QString> written;
    for (const ArchiveItem& item : items)
        (item.zipMark ? marked : written).insert(item.path);
    return marked & written;
}

bool hasMarkedKindChanges(const QList<ArchiveItem>& items)
{
    return !markedKindChanges(items).isEmpty();
}

// 7-Zip writes the mark of an entry whose kind changed after or over the new entry, so that a folder that was a
// file comes out an empty file and what it holds is refused. Such a folder is made again here and what it holds
// extracted by name, which no mark shares.
std::optional<JobResult> writeMarkedKindChanges(const QString& program, const Step& step, const QString& staging,
    const StagingTree& tree, const QList<StateEntry>& state, const QStringList& paths, const QByteArray& passwordInput,
    const JobContext& context, const QString& name, const QString& target)
{
    const QSet<QString> marked = markedKindChanges(*step.items);
    if (marked.isEmpty())
        return std::nullopt;
    QStringList inside;
    for (const StateEntry& entry : state) {
        if (!entry.isFolder || entry.refused || !marked.contains(entry.path) || !isWithin(entry.path, paths))
            continue;
        if (tree.kindOf(entry.path) != StagingTree::Kind::Folder) {
            tree.remove(entry.path);
            tree.makeFolder(entry.path);
        }
        const QString prefix = entry.path + QLatin1Char('/');
        for (const ArchiveItem& item : *step.items) {
            if (item.path.startsWith(prefix) && !item.zipMark && !item.deleted && !item.isLink
                && !step.left.contains(item.path))
                inside.append(item.path);
        }
    }
    if (inside.isEmpty())
        return std::nullopt;
    QString list;
    QString error;
    const auto selection = nameArguments(inside, QStringLiteral("-i@"), QStringLiteral("-i!"), &list, &error);
    if (!selection)
        return failure(name, JobOutcome::PrepareFailed, error);
    const Command command = extractCommand(program, step.archive, staging, *selection, {}, passwordInput);
    const ToolRun run = runTool(command, context, name, target);
    if (!list.isEmpty())
        RemoveTempFile(list);
    if (run.failed)
        return run.failed;
    return std::nullopt;
}

JobResult restoreArchive(const RestoreRequest& request, const JobContext& context, const QString& target,
    const QStringList& paths, Staging& staging)
{
    // The point's own chain, which need not be the newest one nor share its password.
    const RestorePoint& point = request.points.at(request.index);
    const QString fullArchive = point.fullArchive.isEmpty() ? point.path : point.fullArchive;
    const QString name = pointName(point);
    Locate7Zip();
    const QString program = pathTo7zExe();
    if (program.isEmpty())
        return failure(name, JobOutcome::ToolMissing, LoadStringById(StringId::SevenZipMissing));

    QByteArray passwordInput;
    if (point.passwordId != 0) {
        QString problem;
        std::optional<QString> password = ChainPasswordOf(point.passwordId, fullArchive, &problem);
        if (!password) {
            return failure(name, JobOutcome::PasswordMissing,
                problem.isEmpty() ? LoadStringById(StringId::PasswordNotGiven).arg(name) : problem);
        }
        passwordInput = PasswordInput(*password);
        password->fill(QChar(u'\0'));
    }
    auto wipePassword = qScopeGuard([&passwordInput] { WipeBytes(passwordInput); });
    auto listFailed = [&name](const QString& why, ListFailure kind) {
        const JobOutcome outcome = kind == ListFailure::WrongPassword ? JobOutcome::WrongPassword
            : kind == ListFailure::PasswordMissing                    ? JobOutcome::PasswordMissing
                                                                      : JobOutcome::SourceMissing;
        return failure(name, outcome, why);
    };
    // The points may have been read before a run moved the chain into the history and put a new full archive under
    // the same name: restored, it would give another state than the one chosen.
    if (point.kind == RestorePoint::Kind::Full && point.size >= 0 && !point.stamp.isEmpty()) {
        const QFileInfo now(point.path);
        if (now.size() != point.size || RestoreStamp(now.lastModified()) != point.stamp)
            return failure(
                name, JobOutcome::SourceMissing, LoadStringById(StringId::RestorePointsChanged).arg(point.path));
    }
    QString error;
    ListFailure listFailure = ListFailure::None;
    RestorePoint base = point;
    base.fullArchive = fullArchive;
    const auto full = ListPointArchive(base, true, &error, &listFailure);
    if (!full)
        return listFailed(error, listFailure);
    const bool fromUpdate = point.kind == RestorePoint::Kind::Update;
    std::optional<QList<ArchiveItem>> update;
    if (fromUpdate) {
        update = ListPointArchive(base, false, &error, &listFailure);
        if (!update)
            return listFailed(error, listFailure);
    }
    QList<bool> origins;
    const QList<StateEntry> state = StateWithOrigins(*full, fromUpdate ? &*update : nullptr, &origins);
    for (const QString& path : paths) {
        const auto at = std::lower_bound(state.cbegin(), state.cend(), path,
            [](const StateEntry& entry, const QString& key) { return entry.path < key; });
        if (at == state.cend() || at->path != path)
            return failure(
                name, JobOutcome::SourceMissing, LoadStringById(StringId::RestorePathMissing).arg(path, point.stamp));
    }

    // What is refused is never written: 7-Zip is told to leave it out, and no link is made for it.
    QSet<QString> refused;
    QStringList notRestored;
    for (const StateEntry& entry : state) {
        if (entry.refused && isWithin(entry.path, paths)) {
            refused.insert(entry.path);
            notRestored.append(LoadStringById(StringId::RestoreEntryRefused).arg(ShownEntryPath(entry.path)));
        }
    }

    // Links are made here, not by 7-Zip, which refuses those that point out of the folder it extracts into
    // and turns absolute ones into paths inside it. Each under its name in the archive, which the listing
    // shows with "_" for a line break.
    QList<Step> steps {{fullArchive, &*full, {}, {}, {}}};
    if (fromUpdate)
        steps.append({point.path, &*update, {}, {}, {}});
    QHash<QString, QString> nameOnDisk;
    QStringList unknownLinks;
    for (Step& step : steps) {
        QStringList underscored;
        for (const ArchiveItem& item : *step.items) {
            if (item.isLink && !item.deleted && !IsUnsafeEntryPath(item.path) && !refused.contains(item.path)
                && item.path.contains(QLatin1Char('_')) && isWithin(item.path, paths))
                underscored.append(item.path);
        }
        const QHash<QString, QString> exactNames
            = linkNamesInArchive(program, step.archive, *step.items, underscored, passwordInput, context.control);
        for (const ArchiveItem& item : *step.items) {
            if (IsUnsafeEntryPath(item.path) || refused.contains(item.path)) {
                step.left.append(item.path);
                continue;
            }
            if (!item.isLink || item.deleted)
                continue;
            const QString exact = item.path.contains(QLatin1Char('_')) ? exactNames.value(item.path) : item.path;
            if (exact.isEmpty()) {
                // Left to 7-Zip, which makes links only inside the folder it writes; taken out and named below.
                if (isWithin(item.path, paths))
                    unknownLinks.append(item.path);
                continue;
            }
            step.links.append(item);
            step.linkNames.append(exact);
            step.left.append(exact);
            nameOnDisk.insert(item.path, exact);
        }
    }

    qint64 bytes = 0;
    int exitCode = 0;
    bool toolTrouble = false;
    bool fatalTrouble = false;
    QString troubleText;
    const StagingTree tree(staging.path());
    if (!tree.isOpen())
        return failure(name, JobOutcome::PrepareFailed,
            LoadStringById(StringId::RestoreFolderNotMade).arg(staging.path(), systemError()));
    for (qsizetype s = 0; s < steps.size(); ++s) {
        const Step& step = steps.at(s);
        if (s > 0)
            clearChangedKinds(tree, *step.items, paths);
        QString list;
        const auto exclusions = nameArguments(step.left, QStringLiteral("-x@"), QStringLiteral("-x!"), &list, &error);
        if (!exclusions)
            return failure(name, JobOutcome::PrepareFailed, error);
        const Command command
            = extractCommand(program, step.archive, staging.path(), *exclusions, paths, passwordInput);
        const ToolRun run = runTool(command, context, name, target);
        if (!list.isEmpty())
            RemoveTempFile(list);
        if (run.failed)
            return *run.failed;
        if (run.passwordTrouble == PasswordTrouble::Wrong)
            return failure(name, JobOutcome::WrongPassword, WrongPasswordText(step.archive), run.exitCode);
        if (run.exitCode < 0 || run.exitCode > 2)
            return failure(name, JobOutcome::ToolFailed,
                LoadStringById(StringId::RestoreToolFailed).arg(ToolName(command)).arg(run.exitCode).arg(target),
                run.exitCode);
        if (run.exitCode == 2) {
            toolTrouble = true;
            fatalTrouble = fatalTrouble || isArchiveOrDiskTrouble(run.output);
            troubleText = LoadStringById(StringId::RestoreToolFailed).arg(ToolName(command)).arg(2).arg(target);
        }
        exitCode = std::max(exitCode, run.exitCode);
        if (s > 0) {
            if (std::optional<JobResult> failed = writeMarkedKindChanges(
                    program, step, staging.path(), tree, state, paths, passwordInput, context, name, target))
                return *failed;
        }
    }
    // 7-Zip failed on some entries: those it did not write whole are named, and the rest is restored, unless
    // the archive or the disk failed, where nothing it wrote can be trusted.
    if (toolTrouble) {
        const QStringList missing = fatalTrouble ? QStringList() : entriesNotWritten(tree, state, paths);
        // A link left to 7-Zip that it refused to make is one it names; it is named below as well. Entries that
        // changed kind in a zip update archive fail in 7-Zip's run and are written again after it.
        if (fatalTrouble
            || (missing.isEmpty() && unknownLinks.isEmpty() && !(fromUpdate && hasMarkedKindChanges(*update))))
            return failure(name, JobOutcome::ToolFailed, troubleText, 2);
        for (const QString& path : missing)
            notRestored.append(LoadStringById(StringId::RestoreEntryNotWritten).arg(ShownEntryPath(path)));
    }

    // Each link of the state from the archive that holds it as of the point.
    QHash<QString, QByteArray> targets;
    for (qsizetype s = 0; s < steps.size(); ++s) {
        QStringList linkPaths;
        for (const ArchiveItem& link : steps.at(s).links)
            linkPaths.append(link.path);
        std::sort(linkPaths.begin(), linkPaths.end());
        QStringList wanted;
        QList<qint64> sizes;
        QStringList listed;
        for (qsizetype i = 0; i < steps.at(s).links.size(); ++i) {
            const ArchiveItem& link = steps.at(s).links.at(i);
            if (isWithin(link.path, paths)) {
                wanted.append(steps.at(s).linkNames.at(i));
                sizes.append(link.size);
                listed.append(link.path);
            }
        }
        QStringList below;
        for (const ArchiveItem& item : *steps.at(s).items) {
            const QString above = parentOf(item.path);
            if (!above.isEmpty() && std::binary_search(linkPaths.cbegin(), linkPaths.cend(), above))
                below.append(item.path);
        }
        // All at once, or, where that fails, one by one: a link that cannot be read is named, the others are made.
        const auto read
            = linkTargets(program, steps.at(s).archive, wanted, sizes, below, passwordInput, context.control, &error);
        for (qsizetype i = 0; i < listed.size(); ++i) {
            const QString key = listed.at(i) + QLatin1Char(char('0' + s));
            if (read) {
                targets.insert(key, read->at(i));
            } else if (context.control && context.control->shouldStop()) {
                break;
            } else if (const auto one = linkTargets(program, steps.at(s).archive, {wanted.at(i)}, {sizes.at(i)}, below,
                           passwordInput, context.control, &error)) {
                targets.insert(key, one->constFirst());
            }
        }
    }
    for (qsizetype i = 0; i < state.size(); ++i) {
        const StateEntry& entry = state.at(i);
        if (!isWithin(entry.path, paths) || entry.refused)
            continue;
        if (!entry.isFolder && !entry.isLink)
            bytes += entry.size;
        if (!entry.isLink)
            continue;
        const QString key = entry.path + QLatin1Char(origins.at(i) ? '1' : '0');
        const auto found = targets.constFind(key);
        QString why;
        if (found == targets.cend() || unknownLinks.contains(entry.path)) {
            why = found == targets.cend() && !unknownLinks.contains(entry.path)
                ? LoadStringById(StringId::RestoreLinkUnreadable)
                : LoadStringById(StringId::RestoreLinkNameUnknown);
            if (const auto made = tree.nameOnDisk(entry.path); made && tree.kindOf(*made) == StagingTree::Kind::Link)
                tree.remove(*made);
        } else {
            why = tree.makeLink(nameOnDisk.value(entry.path, entry.path), *found, entry.modified);
            if (!why.isEmpty())
                tree.remove(nameOnDisk.value(entry.path, entry.path));
        }
        if (!why.isEmpty())
            notRestored.append(LoadStringById(StringId::RestoreLinkNotMade).arg(ShownEntryPath(entry.path), why));
    }
    // 7-Zip gives a file that was a folder the time of the folder's mark.
    if (fromUpdate) {
        for (const StateEntry& entry : state) {
            if (!entry.isFolder && !entry.isLink && !entry.refused && isWithin(entry.path, paths)
                && markedKindChanges(*update).contains(entry.path))
                tree.setTime(entry.path, entry.modified);
        }
    }
    // Deepest first: making or deleting an entry changes its folder's time.
    for (qsizetype i = state.size() - 1; i >= 0; --i) {
        const StateEntry& entry = state.at(i);
        if (entry.isFolder && !entry.refused && (isWithin(entry.path, paths) || isAbove(entry.path, paths)))
            tree.setTime(entry.path, entry.modified);
    }

    if (context.control && context.control->shouldStop()) {
        const bool late = context.control->stopReason() == RunControl::Reason::TimeLimit;
        return late ? failure(name, JobOutcome::TimedOut,
                   LoadStringById(StringId::RestoreTimedOut).arg(context.timeLimit.count()).arg(target))
                    : failure(name, JobOutcome::Stopped, LoadStringById(StringId::RestoreStopped).arg(target));
    }
    if (context.copying)
        context.copying();
    qint64 trashed = 0;
    if (const QString why = placeRestored(request, staging, target, paths, &trashed); !why.isEmpty())
        return failure(name, JobOutcome::PlaceFailed, why);
    JobResult done {JobOutcome::Done, name, exitCode, {}, {}};
    done.bytesWritten = bytes;
    QStringList warnings;
    if (exitCode == 1)
        warnings.append(LoadStringById(StringId::SevenZipWarnings).arg(exitCode));
    if (!notRestored.isEmpty()) {
        // Done with warnings, as a backup that could not read some files.
        done.exitCode = std::max(exitCode, 1);
        done.warningCount = int(notRestored.size());
        warnings.append(shownList(notRestored));
    }
    // Said with the result but no warning: every zip update point has it, and the restore is as it should be.
    if (fromUpdate && QFileInfo(point.path).suffix().compare(QLatin1String("zip"), Qt::CaseInsensitive) == 0)
        done.note = LoadStringById(StringId::RestoreZipNoDeletions);
    if (trashed > 0) {
        const QString inTrash = LoadStringById(StringId::RestoreTrashedNote).arg(trashed);
        done.note = done.note.isEmpty() ? inTrash : done.note + QLatin1Char(' ') + inTrash;
    }
    done.warning = warnings.join(QLatin1Char(' '));
    return done;
}

} // namespace

void RemoveRestoreLeftovers(const QString& folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    const qsizetype suffixLength = 6;
    for (const QString& name : names) {
        const QString prefix = name.left(name.size() - suffixLength);
        if (!name.startsWith(QLatin1Char('.')) || !prefix.endsWith(QLatin1String(".velmora-"))
            || !IsTemporaryCopyName(name, prefix, int(suffixLength)))
            continue;
        const QString path = dir.filePath(name);
        if (isAbandonedStaging(path))
            removeTree(path);
    }
}

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

QString RestoreTargetProblem(const QString& target)
{
    const QFileInfo info(target);
    if (!entryExists(target))
        return {};
    if (!info.isDir() || info.isSymLink())
        return LoadStringById(StringId::RestoreTargetNotFolder).arg(target);
    if (!QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return LoadStringById(StringId::RestoreTargetNotEmpty).arg(target);
    return {};
}

JobResult RunRestoreJob(const RestoreRequest& request, const JobContext& context)
{
    if (request.index < 0 || request.index >= request.points.size())
        return failure(QString(), JobOutcome::PrepareFailed, LoadStringById(StringId::RestoreNoPoint));
    const RestorePoint& point = request.points.at(request.index);
    const QString name = pointName(point);
    if (request.target.trimmed().isEmpty())
        return failure(name, JobOutcome::PrepareFailed, LoadStringById(StringId::PathNotFull));
    QString target = QDir::cleanPath(QFileInfo(request.target).absoluteFilePath());
    if (request.overOriginal) {
        if (const QString problem = OriginalRestoreProblem(target); !problem.isEmpty())
            return failure(name, JobOutcome::SourceMissing, problem);
        // A source that is itself a link is restored where it leads; links inside it are never followed.
        target = QFileInfo(target).canonicalFilePath();
    } else if (const QString problem = RestoreTargetProblem(target); !problem.isEmpty()) {
        return failure(name, JobOutcome::DestinationMissing, problem);
    }
    QStringList paths;
    for (const QString& path : request.paths) {
        const QString clean = cleanRelative(path);
        if (clean.isEmpty())
            return failure(name, JobOutcome::PrepareFailed, LoadStringById(StringId::RestorePathUnusable).arg(path));
        paths.append(clean);
    }
    // Found before anything is extracted, not only when the restored files are swapped in.
    if (const QString problem = request.overOriginal ? notFolderAbove(target, paths) : QString(); !problem.isEmpty())
        return failure(name, JobOutcome::PrepareFailed, problem);
    // The staging folder goes on the target's file system, so that the last step is a rename: beside a new
    // folder, inside the source.
    const QString parent = request.overOriginal ? target : QFileInfo(target).path();
    if (const QString why = makePath(parent); !why.isEmpty())
        return failure(
            name, JobOutcome::DestinationMissing, LoadStringById(StringId::RestoreFolderNotMade).arg(parent, why));
    RemoveRestoreLeftovers(parent);
    // Making and removing the staging folder inside the source is no change of the source's.
    const auto sourceTime = request.overOriginal ? folderTime(target) : std::nullopt;
    JobResult result = [&] {
        Staging staging(target, request.overOriginal);
        if (::mkdir(encoded(staging.path()).constData(), 0700) != 0)
            return failure(name, JobOutcome::PrepareFailed,
                LoadStringById(StringId::RestoreFolderNotMade).arg(staging.path(), systemError()));
        if (const QString why = writeMarker(staging.path()); !why.isEmpty())
            return failure(name, JobOutcome::PrepareFailed,
                LoadStringById(StringId::RestoreFolderNotMade).arg(staging.path(), why));
        return point.kind == RestorePoint::Kind::Mirror ? restoreMirror(request, context, target, paths, staging)
                                                        : restoreArchive(request, context, target, paths, staging);
    }();
    if (sourceTime)
        putTimeBack(*sourceTime);
    // The staging folder was private while it was written; the restored folder gets the usual rights.
    if (result.succeeded() && point.kind != RestorePoint::Kind::Mirror && !request.overOriginal) {
        // Not umask(): it would change the mask of every thread for a moment.
        ::chmod(encoded(target).constData(), 0777 & ~IniFile::currentUmask());
    }
    return result;
}
