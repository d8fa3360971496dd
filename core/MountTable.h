#pragma once

// The mounts this process sees, read from /proc/self/mountinfo.

#include <QList>
#include <QString>

#include <optional>

struct MountEntry
{
    // Where it is mounted, unescaped.
    QString point;
    QString fsType;
    // What is mounted there as the kernel names it: a device, "server:/export", "tmpfs"; kept escaped, so
    // that it holds no blanks.
    QString source;
    quint32 major = 0;
    quint32 minor = 0;
    // The folder of the file system that shows at the point, unescaped: "/" for a whole file system, the
    // folder's path inside it for a bind mount of one of its folders.
    QString root;
};

// Every mount in the order the kernel lists them, later mounts over earlier ones.
QList<MountEntry> ReadMountTable();
// The mount that holds the canonical path: the last one listed at the longest mount point above it.
std::optional<MountEntry> MountHolding(const QString& canonicalPath);
