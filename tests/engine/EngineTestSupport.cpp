#include "EngineTestSupport.h"

#include "TempHome.h"

#include <QFile>
#include <QProcess>

QMap<QString, bool> ArchiveFiles(const QString& archive)
{
    QProcess lister;
    lister.start("7zz", {"l", "-slt", archive});
    lister.waitForFinished(-1);
    // Entries follow the line of dashes, each a block that starts with its path.
    const QString listing = QString::fromUtf8(lister.readAllStandardOutput()).section("\n----------\n", 1);
    QMap<QString, bool> files;
    for (const QString& block : listing.split("\n\n", Qt::SkipEmptyParts)) {
        const QString path = block.section('\n', 0, 0).mid(7);
        if (!block.contains("\nAttributes = D"))
            files.insert(path, block.contains("\nAnti = +"));
    }
    return files;
}

BackupSet MakeSet(const QString& source, const QString& target, qint32 backupType)
{
    BackupSet set;
    set.name = set.arcName = "docs";
    set.source = source;
    set.target = target;
    set.backupType = backupType;
    set.solid = true;
    return set;
}

QMap<QString, QByteArray> ExclusionTree()
{
    QMap<QString, QByteArray> tree;
    for (const char* path :
        {"keep.txt", "a.tmp", "sub/b.tmp", "build/x", "sub/deep/build/x", "my cache/x", "sub/my cache/x", "Кэш/x",
            "sub/cache/x", "sub/deep/cache/x", "cache/kept", "sub/more/cache/kept", "other/deep/cache/kept"})
        tree.insert(QString::fromUtf8(path), "x");
    return tree;
}

void AddEveryKindOfExclusion(BackupSet& set)
{
    AddExType(set, ".tmp");
    for (const char* folder : {"build", "my cache", "Кэш", "sub/cache", "/elsewhere/cache"})
        AddExPath(set, QString::fromUtf8(folder));
    AddExPath(set, set.source + "/sub/deep/cache");
}

qint64 StatusKib(const QByteArray& field)
{
    for (const QByteArray& line : readFile("/proc/self/status").split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

bool ResetResidentPeak()
{
    QFile clear("/proc/self/clear_refs");
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}
