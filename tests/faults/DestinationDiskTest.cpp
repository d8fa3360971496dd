// A backup disk that is not plugged in, and one too full for the next archive: velmora-run refuses before
// anything is written, on a real second file system (a tmpfs, which needs root).

#include "ReadableFigures.h"
#include "RunTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStorageInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray noise(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

QString keyOf(const QString& setFile, const QString& key)
{
    const QStringList lines = QString::fromUtf8(readFile(setFile)).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    }
    return {};
}

class DestinationDiskTest : public RunFixture
{
protected:
    void SetUp() override
    {
        source = folder("src");
        disk = folder("Backup Disk");
        writeFile(source + "/a.txt", "alpha");
        writeFile(source + "/sub/b.txt", "beta");
    }
    void TearDown() override
    {
        // Before the temporary home goes, which would otherwise reach into the mount.
        if (m_mounted && QProcess::execute("umount", {disk}) != 0)
            QProcess::execute("umount", {"-l", disk});
    }
    bool mountTmpfs(const QString& size)
    {
        if (::geteuid() != 0)
            return false;
        m_mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", disk}) == 0;
        return m_mounted;
    }
    bool remountWithSize(const QString& size)
    {
        return QProcess::execute("mount", {"-o", "remount,size=" + size, disk}) == 0;
    }
    void unmount()
    {
        ASSERT_EQ(QProcess::execute("umount", {disk}), 0);
        m_mounted = false;
    }
    QString diskKey() const { return keyOf(setFilePath("Docs"), "DestinationDisk"); }

    QString source;
    QString disk;

private:
    bool m_mounted = false;
};

} // namespace

TEST_F(DestinationDiskTest, TheBareMountPointIsRefusedUntilItsDiskIsAccepted)
{
    if (!mountTmpfs("8m"))
        GTEST_SKIP() << "mounting a tmpfs needs root";
    writeSet(setOf("Docs", source, disk, FullArchiving, "docs"));
    ASSERT_EQ(runVelmora({"Docs"}).exitCode, 0);
    ASSERT_FALSE(diskKey().isEmpty());
    const QString recorded = diskKey();

    // The disk is gone; its empty mount point on the system disk is left.
    unmount();
    const QMap<QString, QByteArray> before = snapshotTree(disk);
    const QString refusal
        = QStringLiteral("The destination '%1' is not on the disk it was on. Is the disk connected?").arg(disk);
    const RunOutcome refused = runVelmora({"Docs"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.output.contains(refusal)) << refused.output.toStdString();
    const RunOutcome dryRun = runVelmora({"--dry-run", "Docs"});
    EXPECT_EQ(dryRun.exitCode, 1);
    EXPECT_TRUE(dryRun.output.contains(refusal)) << dryRun.output.toStdString();
    EXPECT_EQ(snapshotTree(disk), before);
    EXPECT_EQ(diskKey(), recorded);

    EXPECT_EQ(runVelmora({"--accept-destination", "Nope"}).exitCode, 2);
    const RunOutcome accepted = runVelmora({"--accept-destination", "docs"});
    EXPECT_EQ(accepted.exitCode, 0) << accepted.errorOutput.toStdString();
    EXPECT_NE(diskKey(), recorded);
    const RunOutcome after = runVelmora({"Docs"});
    EXPECT_EQ(after.exitCode, 0) << after.output.toStdString();
    EXPECT_TRUE(QFile::exists(disk + "/docs.7z"));
}

// Where the disk is told by a marker file, anyone who can write to the destination can plant a link or a pipe
// in the marker's place: the run and --accept-destination refuse it by name and write nothing through it.
TEST_F(DestinationDiskTest, SomethingPlantedAtTheMarkerIsRefusedAndNeverWrittenThrough)
{
    if (!mountTmpfs("8m"))
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString victim = folder("owner") + "/.bashrc";
    writeFile(victim, "the owner's own file\n");
    const QString marker = disk + "/.velmora-destination-id";
    ASSERT_TRUE(QFile::link(victim, marker));
    writeSet(setOf("Docs", source, disk, FullArchiving, "docs"));

    const RunOutcome run = runVelmora({"Docs"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.contains("'" + marker + "' is a symbolic link")) << run.output.toStdString();
    EXPECT_FALSE(QFile::exists(disk + "/docs.7z"));
    const RunOutcome accept = runVelmora({"--accept-destination", "Docs"});
    EXPECT_EQ(accept.exitCode, 1);
    EXPECT_TRUE(accept.errorOutput.contains("'" + marker + "' is a symbolic link")) << accept.errorOutput.toStdString();
    EXPECT_EQ(readFile(victim), "the owner's own file\n");
    EXPECT_TRUE(QFileInfo(marker).isSymLink());
    EXPECT_TRUE(diskKey().isEmpty());

    // A pipe would block whoever opens it to read the id.
    ASSERT_TRUE(QFile::remove(marker));
    ASSERT_EQ(::mkfifo(QFile::encodeName(marker).constData(), 0600), 0);
    const RunOutcome piped = runVelmora({"Docs"});
    EXPECT_EQ(piped.exitCode, 1);
    EXPECT_TRUE(piped.output.contains("'" + marker + "' is not a plain file")) << piped.output.toStdString();

    // Once it is gone, the first good run writes a marker of its own.
    ASSERT_TRUE(QFile::remove(marker));
    EXPECT_EQ(runVelmora({"Docs"}).exitCode, 0);
    EXPECT_FALSE(QFileInfo(marker).isSymLink());
    EXPECT_FALSE(diskKey().isEmpty());
    EXPECT_EQ(readFile(victim), "the owner's own file\n");
}

// The mirror folder in a destination others can write to, replaced by their link to the owner's folder: the
// mirror's --delete would empty it.
TEST_F(DestinationDiskTest, AMirrorFolderThatIsAnotherUsersLinkIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a link of another user's needs root to make";
    const QString precious = folder("precious");
    writeFile(precious + "/letter.txt", "keep me");
    const QString mirror = disk + "/Docs";
    ASSERT_TRUE(QFile::link(precious, mirror));
    ASSERT_EQ(::lchown(QFile::encodeName(mirror).constData(), 65534, 65534), 0);
    writeSet(setOf("Docs", source, disk, MirrorCopying, "docs"));

    const RunOutcome run = runVelmora({"Docs"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.contains("The mirror folder '" + mirror + "' is a symbolic link that another user made"))
        << run.output.toStdString();
    EXPECT_EQ(readFile(precious + "/letter.txt"), "keep me");
    EXPECT_FALSE(QFile::exists(precious + "/a.txt"));

    // The user's own link is theirs to use.
    ASSERT_EQ(::lchown(QFile::encodeName(mirror).constData(), 0, 0), 0);
    EXPECT_EQ(runVelmora({"Docs"}).exitCode, 0);
    EXPECT_EQ(readFile(precious + "/a.txt"), "alpha");
}

TEST_F(DestinationDiskTest, AnotherDiskMountedAtTheSamePlaceIsRefused)
{
    if (!mountTmpfs("8m"))
        GTEST_SKIP() << "mounting a tmpfs needs root";
    writeSet(setOf("Docs", source, disk, FullArchiving, "docs"));
    ASSERT_EQ(runVelmora({"Docs"}).exitCode, 0);
    unmount();
    ASSERT_TRUE(mountTmpfs("8m"));
    EXPECT_EQ(runVelmora({"Docs"}).exitCode, 1);
    EXPECT_FALSE(QFile::exists(disk + "/docs.7z"));
}

TEST_F(DestinationDiskTest, AnOldSetFileIsRecordedAtItsNextRunAndAnUnchangedDiskPasses)
{
    // Written as before the key existed; no mount needed for this one.
    writeSet(setOf("Docs", source, disk, IncrementalArchiving, "docs"));
    ASSERT_TRUE(diskKey().isEmpty());
    ASSERT_EQ(runVelmora({"Docs"}).exitCode, 0);
    const QString recorded = diskKey();
    EXPECT_FALSE(recorded.isEmpty());
    writeFile(source + "/c.txt", "gamma");
    const RunOutcome second = runVelmora({"Docs"});
    EXPECT_EQ(second.exitCode, 0) << second.output.toStdString();
    EXPECT_EQ(diskKey(), recorded);
}

TEST_F(DestinationDiskTest, ADestinationTooSmallForTheNextArchiveIsRefusedBeforeTheRun)
{
    if (!mountTmpfs("4m"))
        GTEST_SKIP() << "mounting a tmpfs needs root";
    writeFile(source + "/noise.bin", noise(1536 * 1024, 3));
    writeSet(setOf("Docs", source, disk, FullArchiving, "docs"));
    ASSERT_EQ(runVelmora({"Docs"}).exitCode, 0);
    const QByteArray archive = readFile(disk + "/docs.7z");
    ASSERT_GT(archive.size(), 1500 * 1024);

    // Room for much, but not for a second archive beside the first until the rename.
    ASSERT_TRUE(remountWithSize("2m"));
    const qint64 free = QStorageInfo(disk).bytesAvailable();
    const QMap<QString, QByteArray> before = snapshotTree(disk);
    const RunOutcome refused = runVelmora({"Docs"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.output.contains(FormatByteSize(archive.size()))) << refused.output.toStdString();
    EXPECT_TRUE(refused.output.contains(FormatByteSize(free))) << refused.output.toStdString();
    EXPECT_EQ(snapshotTree(disk), before);
}

TEST_F(DestinationDiskTest, AFirstArchiveIsRefusedOnlyWhenEvenAStrongCompressionCannotFit)
{
    if (!mountTmpfs("1m"))
        GTEST_SKIP() << "mounting a tmpfs needs root";
    // Four times the room compresses to nothing here, and runs: the estimate errs towards running.
    writeFile(source + "/zeros.bin", QByteArray(4 << 20, '\0'));
    writeSet(setOf("Docs", source, disk, FullArchiving, "docs"));
    const RunOutcome fits = runVelmora({"Docs"});
    EXPECT_EQ(fits.exitCode, 0) << fits.output.toStdString();
    // Twenty times the room cannot fit even at a tenth of its size.
    QFile::remove(disk + "/docs.7z");
    writeFile(source + "/zeros.bin", QByteArray(20 << 20, '\0'));
    const RunOutcome refused = runVelmora({"Docs"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.output.contains(FormatByteSize(((20 << 20) + 9) / 10))) << refused.output.toStdString();
    EXPECT_FALSE(QFile::exists(disk + "/docs.7z"));
}
