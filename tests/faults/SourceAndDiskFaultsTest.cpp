#include "ArchiveCommand.h"
#include "JobFixture.h"
#include "LastRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <atomic>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
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

namespace {

// Runs the set's archive job on a thread of its own and gives up on it after a minute: a 7-Zip blocked on a
// pipe is then freed by a writer that opens and closes each pipe, so that a failing test still ends.
JobResult archiveJobWithin60s(quint32 id, const QStringList& pipes, bool& hung)
{
    JobResult result;
    QThread* job = QThread::create([&] { result = ArchiveJob(id); });
    job->start();
    QElapsedTimer clock;
    clock.start();
    while (!job->wait(10) && clock.elapsed() < 60000)
        QCoreApplication::processEvents();
    hung = !job->isFinished();
    while (!job->wait(10)) {
        for (const QString& pipe : pipes) {
            const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        QCoreApplication::processEvents();
    }
    delete job;
    return result;
}

bool makeSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

} // namespace

TEST_F(SourceAndDiskFaultsTest, AZipSetLeavesOutPipesSocketsAndDevicesAndNamesThem)
{
    const QStringList pipes = {source + "/pipe", source + "/sub/deeper pipe"};
    for (const QString& pipe : pipes)
        ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(makeSocket(source + "/sub/socket"));
    const bool device = ::mknod(QFile::encodeName(source + "/null").constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    // A folder the set leaves out is not looked into: its pipe is no news.
    makeTree(source, {{"cache/kept-out.txt", "x"}, {"deep/pipe", "a file of the same name deeper down"}});
    ASSERT_EQ(::mkfifo(QFile::encodeName(source + "/cache/fifo").constData(), 0600), 0);
    const quint32 id = addSet(FullArchiving, 1);
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    AddExPath(set, "cache");
    UpdateBackupSet(set);

    bool hung = false;
    const JobResult result = archiveJobWithin60s(id, pipes + QStringList {source + "/cache/fifo"}, hung);
    ASSERT_FALSE(hung) << "7-Zip waited on a pipe";
    ASSERT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
    EXPECT_EQ(ResultKindOf(result), JobResultKind::Warnings);
    for (const char* name : {"pipe", "sub/deeper pipe", "sub/socket"})
        EXPECT_TRUE(result.warning.contains(name)) << result.warning.toStdString();
    EXPECT_FALSE(result.warning.contains("fifo")) << result.warning.toStdString();
    EXPECT_EQ(result.warningCount, device ? 4 : 3);
    const QString archive = destination + "/docs.zip";
    QStringList entries = archiveEntries(archive);
    entries.sort();
    EXPECT_EQ(entries, QStringList({"a.txt", "deep", "deep/pipe", "sub", "sub/b.txt", "Новый файл.txt"}));

    // A pipe whose name 7-Zip would take for a wildcard matching another file is not left out by that name.
    ASSERT_EQ(::mkfifo(QFile::encodeName(source + "/sub/b*").constData(), 0600), 0);
    const QByteArray before = readFile(archive);
    const JobResult unsafe = archiveJobWithin60s(id, pipes + QStringList {source + "/sub/b*"}, hung);
    ASSERT_FALSE(hung) << "7-Zip waited on a pipe";
    EXPECT_EQ(unsafe.outcome, JobOutcome::PrepareFailed);
    EXPECT_TRUE(unsafe.reason.contains("sub/b*")) << unsafe.reason.toStdString();
    EXPECT_EQ(readFile(archive), before);
}

TEST_F(SourceAndDiskFaultsTest, AFileRewrittenWhile7ZipReadsItIsNamedInAWarning)
{
    // A quiet source is a clean success.
    const quint32 id = addSet(FullArchiving);
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    set.compLevel = 0;
    UpdateBackupSet(set);
    const JobResult quiet = ArchiveJob(id);
    ASSERT_EQ(quiet.outcome, JobOutcome::Done);
    EXPECT_EQ(ResultKindOf(quiet), JobResultKind::Done) << quiet.warning.toStdString();

    // 7-Zip reads the large file first, while a writer keeps adding to the log, as a running program would.
    writeIncompressible(source + "/0_big.bin", qint64(48) << 20);
    writeFile(source + "/zz_growing.log", QByteArray(1 << 16, 'x'));
    std::atomic<bool> done {false};
    std::thread writer([&] {
        QFile log(source + "/zz_growing.log");
        if (!log.open(QIODevice::Append))
            return;
        while (!done) {
            log.write(QByteArray(1 << 12, 'y'));
            log.flush();
            QThread::msleep(2);
        }
    });
    const JobResult grown = ArchiveJob(id);
    done = true;
    writer.join();
    ASSERT_EQ(grown.outcome, JobOutcome::Done) << grown.reason.toStdString();
    EXPECT_EQ(ResultKindOf(grown), JobResultKind::Warnings);
    EXPECT_TRUE(grown.warning.contains("zz_growing.log")) << grown.warning.toStdString();
    EXPECT_FALSE(grown.warning.contains("0_big.bin")) << grown.warning.toStdString();
    EXPECT_EQ(grown.warningCount, 1);
    EXPECT_TRUE(JobResultText(grown).startsWith("Done with warnings")) << JobResultText(grown).toStdString();
}
