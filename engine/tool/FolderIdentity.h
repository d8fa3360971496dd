#pragma once

// Whether two folders overlap, judged by what they are on disk rather than by how their paths are spelt:
// a bind mount, a network export of a local disk or a disk mounted twice shows one folder under two paths.

#include <QString>

#include <optional>

struct FolderIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    // Nanoseconds since the epoch, where the file system keeps it; 0 elsewhere.
    qint64 birth = 0;

    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

// The identity of the folder at the path (links followed); nothing when there is no folder there.
std::optional<FolderIdentity> IdentityOfFolder(const QString& path);

// The canonical form of a path that may not exist yet: its existing part resolved, the rest appended.
QString CanonicalPathOf(const QString& path);

enum class FolderOverlap
{
    None,
    Same,
    MirrorInsideSource,
    SourceInsideMirror,
};

// How the mirror folder (which may not exist yet, though its parent does) lies relative to the source
// folder, also through mount points inside either of them, which rsync -a crosses.
FolderOverlap MirrorOverlap(const QString& source, const QString& mirror);
// Whether a folder that archives are written into (which may not exist yet) is the source folder or lies
// inside it, also through a mount inside the source that shows it or a folder above it.
bool ArchiveFolderInSource(const QString& source, const QString& folder);
