#include "TempFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

QString TempFolderPath()
{
    return QDir::tempPath() + QStringLiteral("/velmora-") + QString::number(getuid());
}

QString TempFolder()
{
    const QString path = TempFolderPath();
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), S_IRWXU) != 0 && errno != EEXIST)
        return {};
    // Anybody can create this name first in a shared folder: use it only if it is really ours and closed.
    struct stat status;
    if (::lstat(native.constData(), &status) != 0)
        return {};
    if (!S_ISDIR(status.st_mode) || status.st_uid != getuid() || (status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return {};
    return path;
}

QString MakeTempFileName(const QString& prefix)
{
    const QString folder = TempFolder();
    if (folder.isEmpty())
        return {};
    QTemporaryFile file(folder + QLatin1Char('/') + prefix + QStringLiteral("XXXXXX.tmp"));
    file.setAutoRemove(false);
    // QTemporaryFile creates the file exclusively, so an existing file of the same name is never reused.
    if (!file.open())
        return {};
    return file.fileName();
}
