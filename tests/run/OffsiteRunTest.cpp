#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace {

// velmora-run with a remote of the test's own rclone configuration: a folder of this machine, which stands for
// any store rclone reaches.
class OffsiteRun : public RunFixture
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("rclone")).isEmpty())
            GTEST_SKIP() << "rclone is missing (Debian: rclone; scripts/setup.sh installs it)";
        source = folder(QStringLiteral("data/Docs"));
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
        destination = folder(QStringLiteral("backup"));
        remote = folder(QStringLiteral("elsewhere/velmora"));
        const QString config = home.filePath(QStringLiteral("rclone-test.conf"));
        writeFile(config, "[elsewhere]\ntype = local\n");
        qputenv("RCLONE_CONFIG", config.toLocal8Bit());
    }
    void TearDown() override { qunsetenv("RCLONE_CONFIG"); }

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

    QString source;
    QString destination;
    QString remote;
};

TEST_F(OffsiteRun, EachRunsArchiveGoesOffSiteAndARestoreComesBackFromThereWhenTheDiskIsGone)
{
    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs")
                 .withKeys("Offsite=elsewhere:" + remote + "\n"));
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

TEST_F(OffsiteRun, ASetWithoutAnOffsiteCopyOrWithNothingThereFailsToRestoreFromIt)
{
    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs"));
    const RunOutcome none = runVelmora({"--from-offsite", "--points", "Docs"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.errorOutput, "velmora-run: The backup set 'Docs' has no off-site destination.\n");

    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs")
                 .withKeys("Offsite=elsewhere:" + remote + "\n"));
    const RunOutcome empty = runVelmora({"--from-offsite", "--restore", "Docs", "--to", home.filePath("out")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.errorOutput.contains("No archive of the set is at 'elsewhere:" + remote + "'."))
        << empty.errorOutput.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.filePath("out")));
}

} // namespace
