#include "EngineTestSupport.h"

#include "TempHome.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

QMap<QString, ArchiveEntry> ListArchive(const QString& archive)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral("7zz"), {QStringLiteral("l"), QStringLiteral("-slt"), archive});
    process.waitForFinished(-1);
    EXPECT_EQ(process.exitCode(), 0) << "7zz l -slt " << archive.toStdString();
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));

    // The archive's own description comes first; its entries follow the line of dashes.
    QMap<QString, ArchiveEntry> entries;
    bool inEntries = false;
    ArchiveEntry entry;
    auto finishEntry = [&] {
        if (!entry.path.isEmpty())
            entries.insert(entry.path, entry);
        entry = ArchiveEntry();
    };
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("----------"))) {
            inEntries = true;
            continue;
        }
        if (!inEntries)
            continue;
        if (line.startsWith(QLatin1String("Path = "))) {
            finishEntry();
            entry.path = line.mid(7);
        } else if (line.startsWith(QLatin1String("Anti = "))) {
            entry.anti = line.mid(7) == QLatin1String("+");
        } else if (line.startsWith(QLatin1String("Attributes = "))) {
            entry.folder = line.mid(13).startsWith(QLatin1Char('D'));
        } else if (line.startsWith(QLatin1String("Size = "))) {
            entry.size = line.mid(7).toLongLong();
        }
    }
    finishEntry();
    return entries;
}

QStringList ArchiveFiles(const QString& archive)
{
    QStringList files;
    for (const ArchiveEntry& entry : ListArchive(archive)) {
        if (!entry.folder && !entry.anti)
            files.append(entry.path);
    }
    files.sort();
    return files;
}

QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext())
        files.append(base.relativeFilePath(it.next()));
    files.sort();
    return files;
}

void MakeTree(const QString& folder, const QMap<QString, QByteArray>& files)
{
    QDir().mkpath(folder);
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        writeFile(folder + QLatin1Char('/') + it.key(), it.value());
}

void ShiftModificationTime(const QString& path, int seconds)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QDateTime modified = QFileInfo(path).lastModified();
    ASSERT_TRUE(file.setFileTime(modified.addSecs(seconds), QFileDevice::FileModificationTime));
}

void WriteScript(const QString& path, const QByteArray& body)
{
    writeFile(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

BackupSet MakeSet(const QString& arcName, const QString& source, const QString& target, qint32 backupType)
{
    BackupSet set;
    set.id = 1;
    set.name = arcName;
    set.arcName = arcName;
    set.source = source;
    set.target = target;
    set.backupType = backupType;
    set.arcType = 0;
    set.compLevel = 3;
    set.solid = true;
    return set;
}
