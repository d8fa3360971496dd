#pragma once

// What each file of a set's chain was when it was copied off site: its size, time and checksums, kept in the
// state folder. A copy there is judged against this record, not against the local file as it is now: a local
// file damaged since must never be taken as the measure of a good copy, nor replace it.

#include "ConsoleRunner.h"

#include <QMap>
#include <QString>

#include <optional>

struct FileChecksums
{
    QString md5;
    QString sha1;

    // The checksum of the kind a remote gives ("md5", "sha1"), or empty.
    QString ofKind(const QString& kind) const;
    bool operator==(const FileChecksums&) const = default;
};

struct CopiedFile
{
    qint64 size = -1;
    qint64 modifiedMs = 0;
    FileChecksums sums;
};

// Both checksums of a local file in one reading; nothing when it cannot be read or the run is to end.
std::optional<FileChecksums> LocalChecksums(const QString& path, const RunControl* control);

class OffsiteChecksums
{
public:
    // The record of the set; an empty one where there is none or it cannot be read.
    static OffsiteChecksums load(quint32 setId);
    // Writes the record in one step; false when it could not be written.
    bool save() const;

    // The checksums of the file as recorded, when the local file still has the size and time it had then.
    std::optional<FileChecksums> sumsOf(const QString& name, const QString& localPath) const;
    void record(const QString& name, const QString& localPath, const FileChecksums& sums);
    // Forgets every file not among the names (files that left the chain).
    void keepOnly(const QStringList& names);

    static QString pathOf(quint32 setId);

private:
    quint32 m_setId = 0;
    QMap<QString, CopiedFile> m_files;
};
