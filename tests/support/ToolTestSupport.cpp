#include "ToolTestSupport.h"

#include "DestinationDisk.h"
#include "TempHome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QTime>

#include <gtest/gtest.h>

void makeTree(const QString& folder, const QMap<QString, QByteArray>& files)
{
    QDir().mkpath(folder);
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        writeFile(folder + QLatin1Char('/') + it.key(), it.value());
}

void writeIncompressible(const QString& path, qint64 bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray chunk(4 << 20, Qt::Uninitialized);
    for (qint64 written = 0; written < bytes; written += chunk.size()) {
        QRandomGenerator::global()->fillRange(
            reinterpret_cast<quint32*>(chunk.data()), chunk.size() / qsizetype(sizeof(quint32)));
        ASSERT_EQ(file.write(chunk), chunk.size());
    }
}

void writeScript(const QString& path, const QByteArray& body)
{
    writeFile(path, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path,
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::ExeOther);
}

QStringList archiveEntries(const QString& archive)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/7zz"), {QStringLiteral("l"), QStringLiteral("-slt"), archive});
    process.waitForFinished(-1);
    QStringList entries;
    QString path;
    bool inEntries = false;
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1String("----------")))
            inEntries = true;
        if (!inEntries)
            continue;
        if (line.startsWith(QLatin1String("Path = "))) {
            path = line.mid(7);
            entries.append(path);
        } else if (line == QLatin1String("Anti = +") && !entries.isEmpty()) {
            entries.last() += QStringLiteral(" (anti)");
        }
    }
    entries.sort();
    return entries;
}

QStringList treeFiles(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QMap<QString, QByteArray> treeContents(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& file : treeFiles(folder))
        files.insert(file, readFile(folder + QLatin1Char('/') + file));
    return files;
}

void waitForNextSecond()
{
    QThread::msleep(quint64(1000 - QTime::currentTime().msec() + 20));
}

// Whether strace is here and may trace this test's children.
QString straceProblem()
{
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        return QStringLiteral("strace is not installed (scripts/setup.sh installs it)");
    QProcess probe;
    probe.start(QStringLiteral("strace"), {QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("true")});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        return QStringLiteral("strace cannot trace here: ") + QString::fromLocal8Bit(probe.readAllStandardError());
    return {};
}

QStringList destinationFiles(const QString& folder)
{
    QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    files.removeAll(QLatin1String(kDestinationMarkerName));
    return files;
}

bool LocalRcloneRemote::available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("rclone")).isEmpty();
}

LocalRcloneRemote::LocalRcloneRemote(const QString& folder)
    : m_folder(folder + QStringLiteral("/remote"))
{
    const QString config = folder + QStringLiteral("/rclone-test.conf");
    writeFile(config, "[elsewhere]\ntype = local\n");
    QDir().mkpath(m_folder);
    qputenv("RCLONE_CONFIG", QFile::encodeName(config));
}

LocalRcloneRemote::~LocalRcloneRemote()
{
    qunsetenv("RCLONE_CONFIG");
}
