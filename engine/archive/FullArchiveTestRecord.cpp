#include "FullArchiveTestRecord.h"

#include <QFile>
#include <QStringList>

#include <sys/stat.h>

namespace {

constexpr qint64 kSecondsPerDay = qint64(24) * 60 * 60;
constexpr qint64 kNsPerSecond = 1000000000;

struct StoredTest
{
    FullArchiveIdentity identity;
    qint64 testedAt = 0;
};

std::optional<StoredTest> parseStored(const QString& stored)
{
    const QStringList fields = stored.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (fields.size() != 5)
        return std::nullopt;
    bool ok[5] = {};
    StoredTest test;
    test.identity.size = fields.at(0).toLongLong(&ok[0]);
    test.identity.modifiedNs = fields.at(1).toLongLong(&ok[1]);
    test.identity.inode = fields.at(2).toULongLong(&ok[2]);
    test.identity.changedNs = fields.at(3).toLongLong(&ok[3]);
    test.testedAt = fields.at(4).toLongLong(&ok[4]);
    for (const bool parsed : ok) {
        if (!parsed)
            return std::nullopt;
    }
    if (test.identity.size < 0)
        return std::nullopt;
    return test;
}

} // namespace

std::optional<FullArchiveIdentity> FullArchiveIdentityOf(const QString& path)
{
    struct stat status
    {
    };
    // A link could be pointed at another file without any of its own figures changing.
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    FullArchiveIdentity identity;
    identity.size = qint64(status.st_size);
    identity.modifiedNs = qint64(status.st_mtim.tv_sec) * kNsPerSecond + qint64(status.st_mtim.tv_nsec);
    identity.inode = quint64(status.st_ino);
    identity.changedNs = qint64(status.st_ctim.tv_sec) * kNsPerSecond + qint64(status.st_ctim.tv_nsec);
    return identity;
}

QString FullArchiveTestedText(const FullArchiveIdentity& identity, const QDateTime& testedAt)
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(identity.size)
        .arg(identity.modifiedNs)
        .arg(identity.inode)
        .arg(identity.changedNs)
        .arg(testedAt.toSecsSinceEpoch());
}

bool FullArchiveTestHolds(const QString& stored, const QString& path, const QDateTime& now, int days)
{
    if (days <= 0 || !now.isValid())
        return false;
    const std::optional<StoredTest> test = parseStored(stored);
    if (!test)
        return false;
    const qint64 age = now.toSecsSinceEpoch() - test->testedAt;
    // A test "in the future" says the clock was wrong when it was stamped: its age is unknown.
    if (age < 0 || age >= qint64(days) * kSecondsPerDay)
        return false;
    const std::optional<FullArchiveIdentity> identity = FullArchiveIdentityOf(path);
    return identity && *identity == test->identity;
}
