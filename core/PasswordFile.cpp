#include "PasswordFile.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A password is one line: a larger file, or a longer first line, is not a password file (7-Zip takes many
// seconds a call to derive its key from a password of many kilobytes).
constexpr qsizetype kLongestPasswordFile = 4096;
constexpr qsizetype kLongestPassword = 1024;

PasswordFileRead refused(int id, const QString& path, const QString& detail = {})
{
    const QString text = LoadStringById(id);
    return {std::nullopt, detail.isEmpty() ? text.arg(path) : text.arg(path, detail)};
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Overwrites the bytes before they are let go, so that the password does not linger in freed memory.
void wipe(QByteArray& bytes)
{
    bytes.fill('\0');
    bytes.clear();
}

} // namespace

PasswordFileRead ReadPasswordFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    // O_NOFOLLOW refuses a link in the file's place; what is checked is what was opened.
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        struct stat linkStat
        {
        };
        if (error == ELOOP && ::lstat(name.constData(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode))
            return refused(StringId::PasswordFileIsLink, path);
        return refused(StringId::PasswordFileUnreadable, path, systemReason(error));
    }
    struct stat fileStat
    {
    };
    if (::fstat(fd, &fileStat) != 0) {
        const int error = errno;
        ::close(fd);
        return refused(StringId::PasswordFileUnreadable, path, systemReason(error));
    }
    const auto closeAndRefuse = [&](int id, const QString& detail = {}) {
        ::close(fd);
        return refused(id, path, detail);
    };
    if (!S_ISREG(fileStat.st_mode))
        return closeAndRefuse(StringId::PasswordFileNotRegular);
    if (fileStat.st_uid != ::geteuid())
        return closeAndRefuse(StringId::PasswordFileNotOwned);
    const QString mode = QStringLiteral("0%1").arg(fileStat.st_mode & 07777, 0, 8);
    if ((fileStat.st_mode & S_IRWXO) != 0)
        return closeAndRefuse(StringId::PasswordFileOpenToOthers, mode);
    if ((fileStat.st_mode & S_IRWXG) != 0)
        return closeAndRefuse(StringId::PasswordFileOpenToGroup, mode);
    if (fileStat.st_size > kLongestPasswordFile)
        return closeAndRefuse(StringId::PasswordFileTooLarge);

    QByteArray bytes(kLongestPasswordFile, '\0');
    qsizetype length = 0;
    while (length < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + length, static_cast<size_t>(bytes.size() - length));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            wipe(bytes);
            return closeAndRefuse(StringId::PasswordFileUnreadable, systemReason(error));
        }
        if (got == 0)
            break;
        length += got;
        if (bytes.left(length).contains('\n'))
            break;
    }
    ::close(fd);
    qsizetype end = bytes.indexOf('\n');
    if (end < 0 || end > length)
        end = length;
    // A file written on Windows ends its lines with a carriage return too.
    if (end > 0 && bytes.at(end - 1) == '\r')
        --end;
    if (end > kLongestPassword) {
        wipe(bytes);
        return refused(StringId::PasswordLineTooLong, path);
    }
    PasswordFileRead read;
    if (end > 0)
        read.password = QString::fromUtf8(bytes.constData(), end);
    wipe(bytes);
    if (!read.password)
        return refused(StringId::PasswordFileEmpty, path);
    return read;
}
