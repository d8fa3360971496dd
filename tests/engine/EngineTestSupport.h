#pragma once

// What the engine tests share: a set of the usual shape, a small file tree, and reading an archive back
// with the real 7-Zip.

#include "BackupSet.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable failure messages for texts and lists of texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '{';
    for (const QString& text : list)
        *out << " \"" << text.toStdString() << '"';
    *out << " }";
}

struct ArchiveEntry
{
    QString path;
    bool folder = false;
    // A deletion mark of a 7z update archive.
    bool anti = false;
    qint64 size = 0;
};

// Entries by path, as "7zz l -slt" prints them.
QMap<QString, ArchiveEntry> ListArchive(const QString& archive);
// Paths of the files (not folders, not deletion marks) of an archive, sorted.
QStringList ArchiveFiles(const QString& archive);
// Paths of the files below a folder, relative to it, sorted.
QStringList FilesBelow(const QString& folder);

// Writes each file (relative path -> content) below the folder, creating folders as needed.
void MakeTree(const QString& folder, const QMap<QString, QByteArray>& files);
// Moves the file's modification time, so that 7-Zip sees it as changed whatever the clock's resolution.
void ShiftModificationTime(const QString& path, int seconds);
// Writes an executable shell script.
void WriteScript(const QString& path, const QByteArray& body);

BackupSet MakeSet(const QString& arcName, const QString& source, const QString& target, qint32 backupType);
