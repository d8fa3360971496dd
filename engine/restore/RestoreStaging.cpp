// The hidden staging folder a restore writes into: its marker naming the process, the leftovers of killed
// restores, and the one rename that makes it the target.

#include "RestoreJobInternal.h"

#include "ArchivePlacement.h"
#include "LeftoverFiles.h"
#include "StagingTree.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

using namespace RestoreInternal;

namespace RestoreInternal {

namespace {

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

} // namespace RestoreInternal

QString RestoreStagingMarkerName()
{
    return kStagingMarker;
}

QByteArray RestoreStagingMarker(qint64 pid)
{
    return kStagingMarkerHeading + "\nhost " + QSysInfo::machineHostName().toUtf8() + "\npid " + QByteArray::number(pid)
        + ' ' + processStart(pid) + '\n';
}

namespace RestoreInternal {

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

namespace {

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

} // namespace

// Whether a name at the top of the source is a restore's own folder, never restored over or counted.
bool isRestoreFolderName(const QString& name)
{
    return name.startsWith(QLatin1Char('.') + kInsideSourceName);
}

Staging::Staging(const QString& target, bool inside)
    : m_path(TemporaryNameBeside(inside ? target + QLatin1Char('/') + kInsideSourceName : target))
{
}

Staging::~Staging()
{
    if (!m_kept && entryExists(m_path))
        removeTree(m_path);
}

void Staging::dropMarker() const
{
    struct stat status;
    const bool timed = ::lstat(encoded(m_path).constData(), &status) == 0;
    ::unlink(encoded(file(kStagingMarker)).constData());
    if (timed) {
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        ::utimensat(AT_FDCWD, encoded(m_path).constData(), times, AT_SYMLINK_NOFOLLOW);
    }
}

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

} // namespace RestoreInternal

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
