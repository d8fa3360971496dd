// Archives made to hurt whoever restores them, built with the real 7zz ("a -snl", then "rn"): link entries
// named to lead out of the restored folder, a link followed by entries below it, an update archive dropped
// beside a real set's chain. A restore writes nothing outside its folder, names what it refused, and the rest
// comes back.

#include "JobFixture.h"
#include "JobRunner.h"
#include "RestoreJob.h"
#include "RestorePoints.h"
#include "SetCollection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class HostileArchiveTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        // What the user has beside the restored folder: a folder of documents and one with a set file.
        victims = home.filePath("victims");
        makeTree(home.filePath("Documents"), {{"thesis.txt", "years of work"}});
        makeTree(victims + "/Documents", {{"letter.txt", "keep me"}});
        craft = home.filePath("craft");
        QDir().mkpath(craft);
    }

    // Runs 7zz in the crafting folder; the test fails on an exit code other than 0.
    void sevenZip(const QStringList& arguments)
    {
        QProcess tool;
        tool.setWorkingDirectory(craft);
        tool.start("/usr/bin/7zz", arguments);
        ASSERT_TRUE(tool.waitForFinished(60000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAll().toStdString();
    }
    void link(const QString& target, const QString& name)
    {
        QDir().mkpath(QFileInfo(craft + "/" + name).path());
        ASSERT_EQ(
            ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(craft + "/" + name).constData()), 0);
    }

    JobResult restoreInto(const QList<RestorePoint>& points, int index, const QString& target)
    {
        JobRunner runner;
        return runner.runRestore({points, index, target, {}});
    }

    // What the user had beside the restored folder is all there, as it was.
    void expectUntouched()
    {
        EXPECT_EQ(readFile(home.filePath("Documents/thesis.txt")), "years of work");
        EXPECT_EQ(readFile(victims + "/Documents/letter.txt"), "keep me");
        EXPECT_FALSE(QFileInfo(home.filePath("Documents")).isSymLink());
        EXPECT_FALSE(QFileInfo(victims + "/Documents").isSymLink());
    }

    QString victims;
    QString craft;
};

TEST_F(HostileArchiveTest, LinksNamedOutOfTheFolderOrThroughALinkReachNothingAndAreNamed)
{
    makeTree(craft, {{"plain.txt", "plain"}, {"dir/inner.txt", "inner"}});
    link("/etc/hostname", "dots");
    link(victims, "through");
    link("/etc/hostname", "below");
    link("/etc/hostname", "abs");
    sevenZip({"a", "-snl", "hostile.7z", "plain.txt", "dir", "dots", "through", "below", "abs"});
    // "../Documents" is the user's folder beside the restored one; "through/Documents" is reached through the
    // link "through"; "/abs" names a path from the root.
    sevenZip({"rn", "hostile.7z", "dots", "../Documents", "below", "through/Documents", "abs", "dir/../../abs"});

    QString error;
    const QList<RestorePoint> points = RestorePointsOfArchive(craft + "/hostile.7z", &error);
    ASSERT_EQ(points.size(), 1) << error.toStdString();
    const auto state = StateAsOf(points, 0);
    ASSERT_TRUE(state);
    QStringList refused;
    for (const StateEntry& entry : *state) {
        if (entry.refused)
            refused.append(entry.path);
    }
    EXPECT_EQ(refused, (QStringList {"../Documents", "dir/../../abs", "through/Documents"}));

    const QString target = home.filePath("restored");
    const JobResult result = restoreInto(points, 0, target);
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    expectUntouched();
    for (const QString& name : refused)
        EXPECT_TRUE(result.warning.contains(name)) << result.warning.toStdString();
    EXPECT_EQ(ResultKindOf(result), JobResultKind::Warnings);
    // The rest is there, the link made where the archive says, and nothing for the refused entries.
    EXPECT_EQ(readFile(target + "/plain.txt"), "plain");
    EXPECT_EQ(readFile(target + "/dir/inner.txt"), "inner");
    EXPECT_EQ(QFileInfo(target + "/through").symLinkTarget(), victims);
    EXPECT_EQ(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
        (QStringList {"dir", "plain.txt", "through"}));
    EXPECT_TRUE(QDir(home.path()).entryList({".restored*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

TEST_F(HostileArchiveTest, AnUpdateArchiveDroppedBesideASetsChainTouchesNothingOutside)
{
    const quint32 id = addSet(IncrementalArchiving);
    ASSERT_TRUE(RunSetJob(id).succeeded());
    // Someone with write access to the backup disk drops an update archive of the set's naming.
    link(home.filePath("Documents"), "evil");
    link("/etc/hostname", "deep");
    sevenZip({"a", "-snl", "drop.7z", "evil", "deep"});
    sevenZip({"rn", "drop.7z", "evil", "../Documents", "deep", "../victims/Documents"});
    ASSERT_TRUE(QFile::rename(craft + "/drop.7z", destination + "/docs_upd_2030-01-01_00h00m00s.7z"));

    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    const QList<RestorePoint> points = RestorePointsOf(set);
    ASSERT_EQ(points.size(), 2);
    const JobResult result = restoreInto(points, 0, home.filePath("restored"));
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    expectUntouched();
    EXPECT_TRUE(result.warning.contains("../Documents")) << result.warning.toStdString();
    EXPECT_EQ(readFile(home.filePath("restored/a.txt")), "alpha");

    // Over the set's source the same: nothing above the source is touched.
    const JobResult over = [&] {
        JobRunner runner;
        return runner.runRestore({points, 0, source, {}, true});
    }();
    ASSERT_TRUE(over.succeeded()) << over.reason.toStdString();
    expectUntouched();
    EXPECT_EQ(readFile(source + "/sub/b.txt"), "beta");
}

// One entry that no file system takes (a name longer than any allows) costs that entry alone: the rest is
// restored, the result names it, and no staging folder stays behind.
TEST_F(HostileArchiveTest, AnEntryThatCannotBeWrittenIsNamedAndTheRestComesBack)
{
    makeTree(craft, {{"good.txt", "good"}, {"sub/also.txt", "also"}, {"long.txt", "too long a name"}});
    sevenZip({"a", "-snl", "odd.7z", "good.txt", "sub", "long.txt"});
    const QString tooLong = "sub/" + QString(300, 'n');
    sevenZip({"rn", "odd.7z", "long.txt", tooLong});
    const QList<RestorePoint> points = RestorePointsOfArchive(craft + "/odd.7z");
    ASSERT_EQ(points.size(), 1);
    const QString target = home.filePath("restored");
    const JobResult result = restoreInto(points, 0, target);
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    EXPECT_EQ(ResultKindOf(result), JobResultKind::Warnings);
    EXPECT_TRUE(result.warning.contains(tooLong)) << result.warning.toStdString();
    EXPECT_EQ(readFile(target + "/good.txt"), "good");
    EXPECT_EQ(readFile(target + "/sub/also.txt"), "also");
    EXPECT_EQ(QDir(target + "/sub").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList {"also.txt"});
    EXPECT_TRUE(QDir(home.path()).entryList({".restored*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

} // namespace

// Each point is judged on its own: a file dropped as an update archive where the full archive has a folder
// refuses what the folder held as of that point, and the next point, whose update archive holds no such file,
// refuses nothing.
TEST_F(HostileArchiveTest, AFileOverAFolderRefusesWhatItHeldOnlyAsOfItsOwnPoint)
{
    const quint32 id = addSet(IncrementalArchiving);
    ASSERT_TRUE(RunSetJob(id).succeeded());
    makeTree(craft, {{"sub", "a file where a folder was"}, {"c.txt", "see"}});
    sevenZip({"a", "drop1.7z", "sub", "c.txt"});
    sevenZip({"rn", "drop1.7z", "c.txt", "../out.txt"});
    ASSERT_TRUE(QFile::rename(craft + "/drop1.7z", destination + "/docs_upd_2030-01-01_00h00m00s.7z"));
    sevenZip({"a", "drop2.7z", "c.txt"});
    ASSERT_TRUE(QFile::rename(craft + "/drop2.7z", destination + "/docs_upd_2030-01-02_00h00m00s.7z"));

    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    const QList<RestorePoint> points = RestorePointsOf(set);
    ASSERT_EQ(points.size(), 3);
    EXPECT_EQ(points.at(1).refusedPaths, (QStringList {"../out.txt", "sub/b.txt"}));
    EXPECT_EQ(points.at(1).fileCount, 3);
    EXPECT_TRUE(points.at(0).refusedPaths.isEmpty());
    EXPECT_EQ(points.at(0).fileCount, 4);
    EXPECT_TRUE(points.at(2).refusedPaths.isEmpty());
    EXPECT_EQ(points.at(2).fileCount, 3);
    // The state a restore works from says the same.
    const auto state = StateAsOf(points, 1);
    ASSERT_TRUE(state);
    QStringList refused;
    for (const StateEntry& entry : *state) {
        if (entry.refused)
            refused.append(entry.path);
    }
    EXPECT_EQ(refused, points.at(1).refusedPaths);

    const JobResult result = restoreInto(points, 1, home.filePath("restored"));
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    EXPECT_TRUE(result.warning.contains("../out.txt")) << result.warning.toStdString();
    EXPECT_EQ(readFile(home.filePath("restored/sub")), "a file where a folder was");
    EXPECT_FALSE(QFileInfo::exists(home.filePath("out.txt")));
    expectUntouched();
}
