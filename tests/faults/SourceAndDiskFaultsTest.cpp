#include "ArchiveCommand.h"
#include "JobFixture.h"
#include "LastRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <unistd.h>

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(11);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

} // namespace

using SourceAndDiskFaultsTest = JobFixture;

TEST_F(SourceAndDiskFaultsTest, LinksAreStoredAsLinksSoLoopsEndAndOutsideFoldersStayOut)
{
    const QString outside = home.filePath("private");
    makeTree(outside, {{"diary.txt", "not for this archive"}});
    QFile::link("..", source + "/loop");
    QFile::link(".", source + "/self");
    QFile::link(outside, source + "/elsewhere");
    ASSERT_EQ(QProcess::execute("mkfifo", {source + "/pipe"}), 0);
    const JobResult result = ArchiveJob(addSet(FullArchiving));
    EXPECT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
    const QStringList entries = archiveEntries(fullArchive());
    for (const char* link : {"loop", "self", "elsewhere", "pipe", "a.txt"})
        EXPECT_TRUE(entries.contains(link)) << link;
    for (const QString& entry : entries)
        EXPECT_FALSE(entry.contains("diary") || entry.startsWith("loop/") || entry.startsWith("self/"))
            << entry.toStdString();
    // Stored as a link ("l" in its Unix attributes), not as the folder it points to.
    QProcess list;
    list.start("/usr/bin/7zz", {"l", "-slt", fullArchive()});
    list.waitForFinished();
    const QString listing = QString::fromUtf8(list.readAllStandardOutput());
    const qsizetype entry = listing.indexOf("Path = elsewhere\n");
    ASSERT_GE(entry, 0);
    const qsizetype attributes = listing.indexOf("Attributes = ", entry);
    EXPECT_EQ(listing.mid(attributes + 13, 6), "A lrwx");
}

TEST_F(SourceAndDiskFaultsTest, AnUnreadableFileIsSkippedAndNamedInTheLog)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file, so no file can be made unreadable here";
    writeFile(source + "/secret.txt", "x");
    QFile::setPermissions(source + "/secret.txt", QFile::WriteOwner);
    const JobResult result = ArchiveJob(addSet(FullArchiving));
    EXPECT_EQ(result.outcome, JobOutcome::Done);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE((GetLastRunTexts().logText + GetLastRunTexts().logText2).contains("secret.txt"));
}

TEST_F(SourceAndDiskFaultsTest, AFileRemovedWhile7ZipReadsIsSkippedAndNamedInTheLog)
{
    // A large sparse file is read first and gives the time to remove the small one after the scan.
    QFile big(source + "/0_big.bin");
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(qint64(400) << 20));
    big.close();
    writeFile(source + "/zz_vanishing.txt", "soon gone");
    BackupSet set;
    const quint32 id = addSet(FullArchiving);
    ASSERT_TRUE(GetBackupSet(id, set));
    set.compLevel = 0;
    UpdateBackupSet(set);

    JobResult result;
    QThread* job = QThread::create([&] { result = ArchiveJob(id); });
    job->start();
    // 7-Zip has scanned the source once it writes its archive, beside the old one under a hidden name.
    auto writing
        = [&] { return !QDir(destination).entryList({".docs.7z.velmora-*"}, QDir::Files | QDir::Hidden).isEmpty(); };
    for (int i = 0; i < 5000 && !writing() && !job->isFinished(); ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    QFile::remove(source + "/zz_vanishing.txt");
    // The job's events need this thread.
    while (!job->wait(10))
        QCoreApplication::processEvents();
    delete job;
    if (result.exitCode == 0)
        GTEST_SKIP() << "7-Zip had read the file before it could be removed";
    EXPECT_EQ(result.outcome, JobOutcome::Done);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE((GetLastRunTexts().logText + GetLastRunTexts().logText2).contains("zz_vanishing.txt"));
    EXPECT_TRUE(result.warning.contains("zz_vanishing.txt")) << result.warning.toStdString();
    EXPECT_TRUE(archiveEntries(fullArchive()).contains("0_big.bin"));
}

TEST_F(SourceAndDiskFaultsTest, AFullDestinationKeepsThePreviousArchiveWhole)
{
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", destination}) != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    struct Unmount
    {
        QString path;
        ~Unmount() { QProcess::execute("umount", {path}); }
    } unmount {destination};

    const quint32 full = addSet(FullArchiving);
    ASSERT_EQ(ArchiveJob(full).outcome, JobOutcome::Done);
    const QByteArray good = readFile(fullArchive());
    writeFile(source + "/large.bin", randomBytes(2 << 20));

    // 7-Zip writes the new archive beside the old one, and meets the full disk itself.
    const JobResult replaced = ArchiveJob(full);
    EXPECT_EQ(replaced.outcome, JobOutcome::ToolFailed);
    EXPECT_EQ(readFile(fullArchive()), good);
    EXPECT_EQ(destinationFiles(destination), QStringList({"docs.7z"}));

    // An incremental run writes its update archive straight into the destination.
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(full, set));
    set.backupType = IncrementalArchiving;
    UpdateBackupSet(set);
    const JobResult updated = ArchiveJob(full);
    EXPECT_FALSE(updated.succeeded());
    EXPECT_EQ(readFile(fullArchive()), good);
    EXPECT_EQ(destinationFiles(destination), QStringList({"docs.7z"}));
}
