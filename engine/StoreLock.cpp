#include "StoreLock.h"

#include "ProfileStore.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <memory>

namespace {

constexpr int kWaitStepMs = 200;

QMutex lockMutex;
std::unique_ptr<QLockFile> lockFile;
int holds = 0;

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
        auto file = std::make_unique<QLockFile>(path);
        // A backup can run for hours: only a holder that is gone (its process ended, the machine restarted)
        // makes the lock stale, never the lock's age. Qt's own file lock guards a live holder on a local
        // disk anyway; a configuration folder on a network disk may not have one.
        file->setStaleLockTime(0);
        if (file->tryLock(0)) {
            lockFile = std::move(file);
        } else if (file->error() == QLockFile::LockFailedError) {
            return false;
        }
        // A folder that cannot hold the lock file at all (a read-only configuration folder) leaves only the
        // program's own one-job rule; refusing every backup there would help nobody.
    }
    ++holds;
    return true;
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
        // QLockFile's own wait sleeps ever longer, up to seconds after the holder is done.
        QThread::msleep(kWaitStepMs);
    }
}

void StoreLock::release()
{
    QMutexLocker lock(&lockMutex);
    if (holds == 0)
        return;
    if (--holds == 0)
        lockFile.reset();
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
    if (path.isEmpty() || !QFileInfo::exists(path))
        return {};
    qint64 pid = 0;
    QString hostName;
    QString programName;
    // The holder creates the file first and writes who it is just after: a moment later it can be read.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (QLockFile(path).getLockInfo(&pid, &hostName, &programName))
            return QStringLiteral("%1 (process %2)").arg(programName).arg(pid);
        if (!QFileInfo::exists(path))
            return {};
        QThread::msleep(10);
    }
    return {};
}
