#include "MountTable.h"

#include <QFile>

#include <algorithm>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// A mount point as /proc/self/mountinfo spells it: blanks, tabs, new lines and backslashes as octal escapes.
QString unescapedMountPoint(const QByteArray& field)
{
    QByteArray path;
    path.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        const QByteArray digits = c == '\\' ? field.mid(i + 1, 3) : QByteArray();
        if (digits.size() == 3
            && std::all_of(digits.begin(), digits.end(), [](char d) { return d >= '0' && d <= '7'; })) {
            path.append(char(digits.toInt(nullptr, 8)));
            i += 3;
            continue;
        }
        path.append(c);
    }
    return QFile::decodeName(path);
}

bool isSameOrInside(const QString& inner, const QString& outer)
{
    return inner == outer || outer == QLatin1String("/") || inner.startsWith(outer + QLatin1Char('/'));
}

} // namespace

QList<MountEntry> ReadMountTable()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The file is generated as it is read; readAll reads it to its end.
    const QList<QByteArray> lines = file.readAll().split('\n');
    QList<MountEntry> mounts;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() <= 4)
            continue;
        MountEntry entry;
        entry.root = unescapedMountPoint(fields.at(3));
        entry.point = unescapedMountPoint(fields.at(4));
        const QList<QByteArray> device = fields.at(2).split(':');
        if (device.size() == 2) {
            entry.major = device.at(0).toUInt();
            entry.minor = device.at(1).toUInt();
        }
        // Optional fields of any number come before the "-" that the type and the source follow.
        const qsizetype separator = fields.indexOf(QByteArray("-"), 6);
        if (separator > 0 && separator + 2 < fields.size()) {
            entry.fsType = QString::fromUtf8(fields.at(separator + 1));
            entry.source = QString::fromUtf8(fields.at(separator + 2));
        }
        mounts.append(entry);
    }
    return mounts;
}

std::optional<MountEntry> MountHolding(const QString& canonicalPath)
{
    QList<MountEntry> around;
    for (const MountEntry& entry : ReadMountTable()) {
        if (isSameOrInside(canonicalPath, entry.point))
            around.append(entry);
    }
    // A mount over a folder above a mount hides it; the device the path is on tells them apart where the
    // kernel lists a real one (btrfs and network mounts list a number of their own).
    struct stat status;
    if (::stat(QFile::encodeName(canonicalPath).constData(), &status) == 0) {
        QList<MountEntry> onDevice;
        for (const MountEntry& entry : std::as_const(around)) {
            if (makedev(entry.major, entry.minor) == status.st_dev)
                onDevice.append(entry);
        }
        if (!onDevice.isEmpty())
            around = onDevice;
    }
    std::optional<MountEntry> holding;
    for (const MountEntry& entry : std::as_const(around)) {
        if (!holding || entry.point.size() >= holding->point.size())
            holding = entry;
    }
    return holding;
}
