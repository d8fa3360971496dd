#include "OffsiteServer.h"
#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <optional>

namespace {

// velmora-run with a remote of the test's own rclone configuration: a folder of this machine, which stands for
// any store rclone reaches.
class OffsiteRun : public RunFixture
{
protected:
    void SetUp() override
    {
        if (!LocalRcloneRemote::available())
            GTEST_SKIP() << LocalRcloneRemote::kMissing;
        source = folder(QStringLiteral("data/Docs"));
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
        destination = folder(QStringLiteral("backup"));
        rclone.emplace(home.path());
        remote = rclone->folder();
    }

    RunOutcome backUp()
    {
        const RunOutcome run = runVelmora({"Docs"});
        EXPECT_EQ(run.exitCode, 0) << run.output.toStdString() << run.errorOutput.toStdString();
        return run;
    }
    // The chain's files and their bytes, in a folder.
    static QMap<QString, QByteArray> chainIn(const QString& folder)
    {
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(folder).entryList({"docs*.7z"}, QDir::Files))
            files.insert(name, readFile(folder + "/" + name));
        return files;
    }

    std::optional<LocalRcloneRemote> rclone;
    QString source;
    QString destination;
    QString remote;
};

TEST_F(OffsiteRun, EachRunsArchiveGoesOffSiteAndARestoreComesBackFromThereWhenTheDiskIsGone)
{
    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs")
                 .withKeys("Offsite=" + rclone->destination() + "\n"));
    writeFile(remote + "/notes.txt", "not Velmora's");
    EXPECT_TRUE(backUp().output.contains(", copied off site\n"));
    const QMap<QString, QByteArray> atFull = snapshotTree(source);
    // A new second, so that the update archive's stamp comes after the full archive's time.
    QThread::msleep(1100);
    makeTree(source, {{"a.txt", "alpha, longer now"}, {"c.txt", "gamma"}});
    backUp();
    ASSERT_EQ(chainIn(destination).size(), 2);
    EXPECT_EQ(chainIn(remote), chainIn(destination));
    EXPECT_EQ(readFile(remote + "/notes.txt"), "not Velmora's");

    // The disk with the archives is gone.
    const QMap<QString, QByteArray> atUpdate = snapshotTree(source);
    ASSERT_TRUE(QDir(destination).removeRecursively());
    const RunOutcome points = runVelmora({"--from-offsite", "--points", "Docs"});
    EXPECT_EQ(points.exitCode, 0) << points.errorOutput.toStdString();
    EXPECT_EQ(points.output.count("\tupdate\t"), 1) << points.output.toStdString();
    EXPECT_EQ(points.output.count("\tfull\t"), 1);

    const RunOutcome newest = runVelmora({"--from-offsite", "--restore", "Docs", "--to", home.filePath("newest")});
    EXPECT_EQ(newest.exitCode, 0) << newest.output.toStdString() << newest.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(home.filePath("newest")), atUpdate);
    QString fullStamp;
    for (const QString& line : points.output.split('\n')) {
        if (line.contains("\tfull\t"))
            fullStamp = line.section('\t', 0, 0);
    }
    const RunOutcome first
        = runVelmora({"--from-offsite", "--restore", "Docs", "--to", home.filePath("first"), "--as-of", fullStamp});
    EXPECT_EQ(first.exitCode, 0) << first.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(home.filePath("first")), atFull);
    // What was fetched goes with the run.
    EXPECT_TRUE(QDir(home.filePath(".local/state/Quorvane/Velmora"))
                    .entryList({"offsite-*"}, QDir::AllEntries | QDir::Hidden)
                    .isEmpty());
}

// Damage there is repaired from the file here; where the file here changed since it was copied too, nothing can
// repair it: the run says so, ends with 3, and the check names the file.
TEST_F(OffsiteRun, DamageThereIsRepairedOrEndsTheRunWithThreeAndTheCheckNamesTheFile)
{
    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs")
                 .withKeys("Offsite=" + rclone->destination() + "\n"));
    backUp();
    QThread::msleep(1100);
    makeTree(source, {{"a.txt", "alpha, longer now"}});
    backUp();
    const QStringList updates = QDir(destination).entryList({"docs_upd_*.7z"}, QDir::Files);
    ASSERT_EQ(updates.size(), 1);
    const QString update = updates.first();
    auto damage = [](const QString& path) {
        const QDateTime modified = QFileInfo(path).lastModified();
        QByteArray bytes = readFile(path);
        bytes[bytes.size() / 2] = char(bytes.at(bytes.size() / 2) ^ 0x55);
        writeFile(path, bytes);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    };

    damage(remote + "/" + update);
    QThread::msleep(1100);
    makeTree(source, {{"c.txt", "gamma"}});
    EXPECT_TRUE(backUp().output.contains(", copied off site\n"));
    EXPECT_EQ(readFile(remote + "/" + update), readFile(destination + "/" + update));

    damage(remote + "/" + update);
    damage(destination + "/" + update);
    const QByteArray damagedThere = readFile(remote + "/" + update);
    QThread::msleep(1100);
    makeTree(source, {{"d.txt", "delta"}});
    const RunOutcome run = runVelmora({"--no-notify", "Docs"});
    EXPECT_EQ(run.exitCode, 3) << run.output.toStdString() << run.errorOutput.toStdString();
    EXPECT_TRUE(run.output.contains("off-site copy failed: The copy of " + update)) << run.output.toStdString();
    EXPECT_EQ(readFile(remote + "/" + update), damagedThere);
    const RunOutcome check = runVelmora({"--check", "--no-notify"});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(check.output.contains(update)) << check.output.toStdString();
}

TEST_F(OffsiteRun, ASetWithoutAnOffsiteCopyOrWithNothingThereFailsToRestoreFromIt)
{
    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs"));
    const RunOutcome none = runVelmora({"--from-offsite", "--points", "Docs"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.errorOutput, "velmora-run: The backup set 'Docs' has no off-site destination.\n");

    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs")
                 .withKeys("Offsite=" + rclone->destination() + "\n"));
    const RunOutcome empty = runVelmora({"--from-offsite", "--restore", "Docs", "--to", home.filePath("out")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.errorOutput.contains("No archive of the set is at '" + rclone->destination() + "'."))
        << empty.errorOutput.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.filePath("out")));
}

} // namespace

namespace {

// velmora-run against a real sshd of the test's own on the loopback address.
class SshRun : public RunFixture
{
protected:
    void SetUp() override
    {
        QString problem;
        if (!server.start(&problem))
            GTEST_SKIP() << "no test sshd here: " << problem.toStdString();
        source = folder(QStringLiteral("data/Docs"));
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
        destination = folder(QStringLiteral("backup"));
        remote = folder(QStringLiteral("server/velmora"));
    }

    OffsiteServer server;
    QString source;
    QString destination;
    QString remote;
};

TEST_F(SshRun, ArchiveAndMirrorSetsGoToTheServerAndTheArchivesComeBackForARestore)
{
    const QString offsite = "Offsite=" + server.sshTarget(remote) + "\n";
    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs").withKeys(offsite));
    writeSet(setOf("Mirror", source, destination, MirrorCopying).withKeys(offsite));
    RunOutcome run = runVelmora({"--all"});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString() << run.errorOutput.toStdString();
    QThread::msleep(1100);
    makeTree(source, {{"a.txt", "alpha, longer now"}, {"c.txt", "gamma"}});
    QFile::remove(source + "/sub/b.txt");
    run = runVelmora({"--all"});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString() << run.errorOutput.toStdString();
    EXPECT_EQ(run.output.count(", copied off site\n"), 2) << run.output.toStdString();

    // The mirror there follows the source, deletions included.
    EXPECT_EQ(snapshotTree(remote + "/Docs"), snapshotTree(source));
    // The archives there are the chain here.
    const QStringList chain = QDir(destination).entryList({"docs*.7z"}, QDir::Files, QDir::Name);
    ASSERT_EQ(chain.size(), 2);
    for (const QString& name : chain)
        EXPECT_EQ(readFile(remote + "/" + name), readFile(destination + "/" + name)) << name.toStdString();

    ASSERT_TRUE(QDir(destination + "/").removeRecursively());
    const RunOutcome restored = runVelmora({"--from-offsite", "--restore", "Docs", "--to", home.filePath("back")});
    EXPECT_EQ(restored.exitCode, 0) << restored.output.toStdString() << restored.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(home.filePath("back")), snapshotTree(source));
}

TEST_F(SshRun, AnUnknownHostKeyLeavesTheBackupDoneSaysHowToAcceptItAndEndsWithThree)
{
    qputenv("VELMORA_SSH_CONFIG", QFile::encodeName(server.configWithoutHostKey()));
    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs")
                 .withKeys("Offsite=" + server.sshTarget(remote) + "\n"));
    const RunOutcome run = runVelmora({"--no-notify", "Docs"});
    qputenv("VELMORA_SSH_CONFIG", QFile::encodeName(server.sshConfig()));
    EXPECT_EQ(run.exitCode, 3) << run.output.toStdString() << run.errorOutput.toStdString();
    EXPECT_TRUE(QFileInfo::exists(destination + "/docs.7z"));
    EXPECT_TRUE(run.output.contains("Done here, off-site copy failed: ssh does not know the key of"))
        << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("accept its key, then run again."));
    EXPECT_TRUE(QDir(remote).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
