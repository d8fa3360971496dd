#include "StoreLock.h"

#include "ProfileStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kWaitStepMs = 200;
// A run that finds the lock file just removed by the holder before it opens it again.
constexpr int kOpenAttempts = 100;
// The holder writes who it is right after it has taken the lock.
constexpr int kHolderAttempts = 20;
constexpr int kHolderStepMs = 10;

QMutex lockMutex;
// The open lock file while this process holds it; closing it releases the lock.
int lockFd = -1;
QByteArray lockPath;
int holds = 0;

int openRetrying(const QByteArray& path, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(path.constData(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void closeFile(int fd)
{
    // Linux closes the descriptor even when close() reports EINTR: never retry it.
    ::close(fd);
}

class FileCloser
{
public:
    explicit FileCloser(int fd)
        : m_fd(fd)
    {
    }
    ~FileCloser() { closeFile(m_fd); }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

private:
    int m_fd;
};

bool sameFile(int fd, const QByteArray& path)
{
    struct stat opened = {};
    struct stat named = {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
}

QByteArray programName()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QByteArray(program_invocation_short_name) : name.toUtf8();
}

// "PID\nPROGRAM\n", written over the old text and then cut to length: a reader never finds the file emptied
// in between, and the first two lines are the new ones as soon as they are written.
void writeHolder(int fd)
{
    const QByteArray text = QByteArray::number(qint64(::getpid())) + '\n' + programName() + '\n';
    qsizetype written = 0;
    while (written < text.size()) {
        const ssize_t n = ::pwrite(fd, text.constData() + written, size_t(text.size() - written), off_t(written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // who holds the lock is only shown to others; the lock itself is held
        written += n;
    }
    while (::ftruncate(fd, off_t(text.size())) != 0 && errno == EINTR) { }
}

enum class Take
{
    Taken,
    Busy,
    NoLockFile,
};

// Called with lockMutex held.
Take takeLockFile(const QByteArray& path)
{
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        int fd = openRetrying(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        const bool writable = fd >= 0;
        // An existing lock file in a folder this user cannot write still locks, without saying who holds it.
        if (fd < 0)
            fd = openRetrying(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return Take::NoLockFile;
        int result;
        do {
            result = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            const int error = errno;
            closeFile(fd);
            // Any other error is a file system that cannot lock at all.
            return error == EWOULDBLOCK ? Take::Busy : Take::NoLockFile;
        }
        // The holder before removes the file while it still holds it; a file opened before that is no longer
        // the lock of anyone who opens the name now.
        if (!sameFile(fd, path)) {
            closeFile(fd);
            continue;
        }
        if (writable)
            writeHolder(fd);
        lockFd = fd;
        lockPath = path;
        return Take::Taken;
    }
    return Take::Busy;
}

// Called with lockMutex held.
bool tryTake()
{
    if (holds > 0) {
        ++holds;
        return true;
    }
    const QString path = StoreLock::lockFilePath();
    if (!path.isEmpty()) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (takeLockFile(QFile::encodeName(path)) == Take::Busy)
            return false;
        // A folder that cannot hold the lock file at all (a read-only configuration folder) leaves only the
        // program's own one-job rule; refusing every backup there would help nobody.
    }
    ++holds;
    return true;
}

struct HolderInfo
{
    qint64 pid = 0;
    QString program;
};

std::optional<HolderInfo> readHolder(int fd)
{
    char buffer[512];
    ssize_t n;
    do {
        n = ::pread(fd, buffer, sizeof buffer, 0);
    } while (n < 0 && errno == EINTR);
    if (n <= 0)
        return std::nullopt;
    const QList<QByteArray> lines = QByteArray(buffer, n).split('\n');
    if (lines.size() < 3) // both lines end in a line break
        return std::nullopt;
    HolderInfo info;
    bool number = false;
    info.pid = lines.at(0).toLongLong(&number);
    info.program = QString::fromUtf8(lines.at(1)).trimmed();
    if (!number || info.pid <= 0 || info.program.isEmpty())
        return std::nullopt;
    return info;
}

// The processes the kernel lists as holding an exclusive flock() on a file with this inode number; nullopt
// when /proc/locks cannot be read. The device is left out: some file systems (btrfs subvolumes, overlays)
// show another device there than stat() does. A process is only believed when the file names it too.
std::optional<QList<qint64>> flockHolders(ino_t inode)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray inodeText = ':' + QByteArray::number(quint64(inode));
    QList<qint64> holders;
    // "1: FLOCK  ADVISORY  WRITE 1234 fe:00:5317488 0 EOF"; a waiter's line has "->" after the number.
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields.at(1) != "FLOCK" || fields.at(3) != "WRITE")
            continue;
        const QByteArray& file = fields.at(5);
        if (file.endsWith(inodeText) && file.count(':') == 2)
            holders.append(fields.at(4).toLongLong());
    }
    return holders;
}

bool processExists(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

} // namespace

bool StoreLock::acquire(Wait wait)
{
    for (;;) {
        {
            QMutexLocker lock(&lockMutex);
            if (tryTake())
                return true;
        }
        if (wait == Wait::No)
            return false;
        QThread::msleep(kWaitStepMs);
    }
}

void StoreLock::release()
{
    QMutexLocker lock(&lockMutex);
    if (holds == 0)
        return;
    if (--holds > 0 || lockFd < 0)
        return;
    // Removed while still held, so no one can take the old file after us: whoever opened it in the meantime
    // finds that the name no longer leads to it and opens the name again.
    ::unlink(lockPath.constData());
    closeFile(lockFd);
    lockFd = -1;
    lockPath.clear();
}

QString StoreLock::lockFilePath()
{
    if (!g_profileStore)
        return {};
    return g_profileStore->settingsFolder() + QStringLiteral("/velmora.lock");
}

QString StoreLock::holderDescription()
{
    const QString path = lockFilePath();
    if (path.isEmpty())
        return {};
    {
        QMutexLocker lock(&lockMutex);
        if (holds > 0)
            return {};
    }
    const QByteArray nativePath = QFile::encodeName(path);
    for (int attempt = 0; attempt < kHolderAttempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(kHolderStepMs);
        const int fd = openRetrying(nativePath, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return {};
        const FileCloser closer(fd);
        struct stat status = {};
        if (::fstat(fd, &status) != 0)
            return {};
        const std::optional<HolderInfo> info = readHolder(fd);
        const std::optional<QList<qint64>> holders = flockHolders(status.st_ino);
        if (!holders) {
            // Without the kernel's list only a live process named in the file is believed.
            if (info && info->pid != ::getpid() && processExists(info->pid))
                return QStringLiteral("%1 (process %2)").arg(info->program).arg(info->pid);
            continue;
        }
        // A file left by a process that is gone, or by another machine, is held by nobody.
        if (holders->isEmpty())
            return {};
        if (info && holders->contains(info->pid))
            return QStringLiteral("%1 (process %2)").arg(info->program).arg(info->pid);
    }
    return {};
}
