#include "TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kFolderPrefix = QStringLiteral("/velmora-");

} // namespace

QString TempFolder()
{
    // Not QDir::tempPath(): it gives an empty path for a TMPDIR that does not exist, which would put the
    // private folders into the current folder; a missing folder should rather fail and be named.
    const QString variable = qEnvironmentVariable("TMPDIR");
    return variable.isEmpty() ? QStringLiteral("/tmp") : QDir::cleanPath(variable);
}

QString PrivateTempFolderPattern()
{
    return TempFolder() + kFolderPrefix + QStringLiteral("XXXXXX");
}

QString MakeTempFileName(const QString& prefix, QString* error)
{
    auto fail = [&](const QString& path) {
        if (error)
            *error = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        return QString();
    };
    // mkdtemp picks a name nobody has yet and creates the folder closed to everybody else.
    QByteArray folder = QFile::encodeName(PrivateTempFolderPattern());
    if (!::mkdtemp(folder.data()))
        return fail(TempFolder());
    const QString path = QFile::decodeName(folder) + QLatin1Char('/') + prefix + QStringLiteral(".tmp");
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        const QString failed = fail(path);
        ::rmdir(folder.constData());
        return failed;
    }
    ::close(fd);
    return path;
}

void RemoveTempFile(const QString& path)
{
    if (path.isEmpty())
        return;
    QFile::remove(path);
    const QString folder = QFileInfo(path).absolutePath();
    // Only a folder this program made, never the temporary folder itself.
    if (QFileInfo(folder).fileName().startsWith(kFolderPrefix.mid(1)))
        QDir().rmdir(folder);
}
