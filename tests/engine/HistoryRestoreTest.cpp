// Restores across the chains a set keeps in NAME.history, with the real 7zz: every point of every kept chain is
// listed and comes back exactly, a file's versions run on over a chain's start, a chain made under an earlier
// password asks for that one, and what someone plants in the history folder is never read.

#include "ArchivePasswords.h"
#include "JobFixture.h"
#include "JobRunner.h"
#include "RestoreJob.h"
#include "RestorePoints.h"
#include "SetCollection.h"
#include "Settings.h"

#include <QDirIterator>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kOldPassword = QStringLiteral("старый ключ 1");
const QString kNewPassword = QStringLiteral("новый ключ 2");

class HistoryRestoreTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        m_savedChainLength = Settings().chainLength;
        // A full archive and one update archive make a chain; the next run starts a new one.
        MutableSettings().chainLength = 1;
        SetSevenZipCandidates({"/usr/bin/7zz"});
    }
    void TearDown() override
    {
        ForgetArchivePasswords();
        ForgetArchiveListings();
        MutableSettings().chainLength = m_savedChainLength;
        JobFixture::TearDown();
    }
    BackupSet setOf(quint32 id)
    {
        BackupSet set;
        EXPECT_TRUE(GetBackupSet(id, set));
        return set;
    }
    // Runs the set once after each change; a copy of the source as each run saw it ("cp -a"), newest first.
    QStringList runAfterEach(quint32 id, const QList<std::function<void()>>& changes)
    {
        QStringList copies;
        for (const auto& change : changes) {
            change();
            const QString copy = home.filePath(QStringLiteral("as of run %1").arg(++m_runs));
            EXPECT_EQ(QProcess::execute("cp", {"-a", source, copy}), 0);
            copies.prepend(copy);
            const JobResult result = RunSetJob(id);
            EXPECT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
            waitForNextSecond();
        }
        return copies;
    }
    // Six runs: three chains of a full archive and an update archive, the two older ones kept in docs.history.
    QStringList threeChains(quint32 id)
    {
        return runAfterEach(id,
            {
                [] {},
                [&] {
                    writeFile(source + "/a.txt", "alpha 2");
                    QFile::remove(source + "/sub/b.txt");
                },
                [&] { writeFile(source + "/c.txt", "new in the second chain"); },
                [&] { writeFile(source + "/a.txt", "alpha 3"); },
                [&] { QFile::remove(source + "/c.txt"); },
                [&] { writeFile(source + "/sub/b.txt", "beta again"); },
            });
    }
    JobResult restore(const QList<RestorePoint>& points, int index, const QString& target)
    {
        JobRunner runner;
        return runner.runRestore({points, index, target, {}});
    }

    qint32 m_savedChainLength = 0;
    int m_runs = 0;
};

} // namespace

TEST_F(HistoryRestoreTest, EveryPointOfEveryKeptChainIsListedNewestFirstAndComesBackExactly)
{
    const quint32 id = addSet(IncrementalArchiving);
    const QStringList copies = threeChains(id);
    ASSERT_EQ(QDir(destination + "/docs.history").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);

    QString error;
    const QList<RestorePoint> points = RestorePointsOf(setOf(id), &error);
    ASSERT_EQ(points.size(), 6) << error.toStdString();
    for (int i = 0; i + 1 < points.size(); ++i)
        EXPECT_GT(points.at(i).time, points.at(i + 1).time) << i;
    // Each point names its own chain and that chain's full archive.
    EXPECT_TRUE(points.at(0).chain.isEmpty());
    EXPECT_EQ(points.at(1).path, fullArchive());
    const QString middle = points.at(2).chain;
    ASSERT_FALSE(middle.isEmpty());
    EXPECT_EQ(points.at(3).chain, middle);
    EXPECT_EQ(points.at(3).path, destination + "/docs.history/" + middle + "/docs.7z");
    EXPECT_EQ(points.at(2).fullArchive, points.at(3).path);
    EXPECT_EQ(points.at(3).stamp, middle);
    EXPECT_NE(points.at(4).chain, middle);
    EXPECT_EQ(points.at(4).fullArchive, points.at(5).path);
    EXPECT_EQ(points.at(4).fileCount, 2);

    for (int i = 0; i < points.size(); ++i) {
        SCOPED_TRACE("as of " + points.at(i).stamp.toStdString());
        const QString target = home.filePath(QStringLiteral("restored %1").arg(i));
        const JobResult result = restore(points, i, target);
        ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
        EXPECT_EQ(treeContents(target), treeContents(copies.at(i)));
    }

    // A full archive found on disk brings the chains kept beside it.
    const QList<RestorePoint> found = RestorePointsOfArchive(fullArchive(), &error);
    ASSERT_EQ(found.size(), 6) << error.toStdString();
    EXPECT_EQ(found.at(3).path, points.at(3).path);
}

TEST_F(HistoryRestoreTest, AFilesVersionsAndADateSpanTheKeptChains)
{
    const quint32 id = addSet(IncrementalArchiving);
    const QStringList copies = threeChains(id);
    QString error;
    const QList<RestorePoint> points = RestorePointsOf(setOf(id), &error);
    ASSERT_EQ(points.size(), 6) << error.toStdString();

    // a.txt changed in runs 2 and 4; the full archives of runs 3 and 5 hold it unchanged: no new version there.
    const QList<FileVersion> a = VersionsOf(points, "a.txt", &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    QStringList stamps;
    for (const FileVersion& version : a)
        stamps.append(version.point.stamp);
    EXPECT_EQ(stamps, QStringList({points.at(5).stamp, points.at(4).stamp, points.at(2).stamp}));
    EXPECT_EQ(a.at(1).size, 7);
    // c.txt came with the second chain and went in the third.
    const QList<FileVersion> c = VersionsOf(points, "c.txt", &error);
    ASSERT_EQ(c.size(), 2);
    EXPECT_EQ(c.at(0).point.stamp, points.at(3).stamp);
    EXPECT_TRUE(c.at(1).deleted);
    EXPECT_EQ(c.at(1).point.stamp, points.at(1).stamp);
    // sub/b.txt went in the first chain's update, and came back in the last run.
    const QList<FileVersion> b = VersionsOf(points, "sub/b.txt", &error);
    ASSERT_EQ(b.size(), 3);
    EXPECT_TRUE(b.at(1).deleted);
    EXPECT_EQ(b.at(2).point.stamp, points.at(0).stamp);

    // A time inside the middle chain picks its update archive, and the restore gives that run's source.
    const int index = PointAsOf(points, points.at(2).stamp);
    ASSERT_EQ(index, 2);
    const QString target = home.filePath("as of the middle chain");
    const JobResult result = restore(points, index, target);
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    EXPECT_EQ(treeContents(target), treeContents(copies.at(2)));
}

TEST_F(HistoryRestoreTest, AChainKeptFromAnEarlierPasswordNeedsThatPasswordAndHidesNoOtherPoint)
{
    const quint32 id = addSet(IncrementalArchiving);
    BackupSet set = setOf(id);
    set.encrypt = true;
    ASSERT_TRUE(UpdateBackupSet(set));
    SaveBackupSet(id);
    SetArchivePassword(id, kOldPassword);
    const QStringList oldCopies = runAfterEach(id, {[] {}, [&] { writeFile(source + "/a.txt", "alpha 2"); }});
    SetArchivePassword(id, kNewPassword);
    ASSERT_TRUE(StampSetFileKeys("Docs", {{"PasswordChanged", "1"}}));
    const QStringList newCopies = runAfterEach(id, {[&] { writeFile(source + "/a.txt", "alpha 3"); }});

    // The set's password opens only the new chain; the old chain's points stay in the list, marked.
    QString error;
    ListFailure failure = ListFailure::None;
    QList<RestorePoint> points = RestorePointsOf(setOf(id), &error, &failure);
    ASSERT_EQ(points.size(), 3) << error.toStdString();
    EXPECT_EQ(failure, ListFailure::None);
    EXPECT_EQ(points.at(0).unopened, ListFailure::None);
    EXPECT_EQ(points.at(0).fileCount, 3);
    for (int i : {1, 2}) {
        EXPECT_EQ(points.at(i).unopened, ListFailure::WrongPassword) << i;
        EXPECT_EQ(points.at(i).fileCount, -1);
        EXPECT_FALSE(points.at(i).problem.isEmpty());
    }
    const QString keptFull = points.at(2).path;
    ASSERT_TRUE(keptFull.contains("/docs.history/"));
    // Restoring an old point with the new password fails as a wrong password, and writes nothing.
    const JobResult refused = restore(points, 1, home.filePath("refused"));
    EXPECT_EQ(refused.outcome, JobOutcome::WrongPassword) << refused.reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.filePath("refused")));

    // An earlier password given is tried on the chain, and kept for it; the set keeps its own.
    SetEarlierPasswords(id, {QStringLiteral("not it"), kOldPassword});
    points = RestorePointsOf(setOf(id), &error, &failure);
    ASSERT_EQ(points.size(), 3);
    EXPECT_EQ(points.at(1).unopened, ListFailure::None) << points.at(1).problem.toStdString();
    EXPECT_EQ(points.at(1).fileCount, 3);
    EXPECT_EQ(ChainPasswordOf(id, keptFull), kOldPassword);
    EXPECT_EQ(ArchivePasswordOf(id), kNewPassword);
    for (int i = 0; i < points.size(); ++i) {
        const QString target = home.filePath(QStringLiteral("restored %1").arg(i));
        const JobResult result = restore(points, i, target);
        ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
        EXPECT_EQ(treeContents(target), treeContents(i == 0 ? newCopies.at(0) : oldCopies.at(i - 1)));
    }
    EXPECT_EQ(VersionsOf(points, "a.txt", &error).size(), 3) << error.toStdString();
}

TEST_F(HistoryRestoreTest, PointsReadBeforeARunStartedANewChainNeverRestoreTheNewArchive)
{
    const quint32 id = addSet(IncrementalArchiving);
    const QStringList copies = runAfterEach(id, {[] {}, [&] { writeFile(source + "/a.txt", "alpha 2"); }});
    QString error;
    const QList<RestorePoint> points = RestorePointsOf(setOf(id), &error);
    ASSERT_EQ(points.size(), 2) << error.toStdString();
    // A run meanwhile moves the chain into the history and makes a new full archive under the old one's name.
    runAfterEach(id, {[&] { writeFile(source + "/a.txt", "alpha 3, not the point chosen"); }});
    ASSERT_EQ(QDir(destination + "/docs.history").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);

    const JobResult full = restore(points, 1, home.filePath("full"));
    EXPECT_FALSE(full.succeeded());
    EXPECT_TRUE(full.reason.contains("Read the points again")) << full.reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.filePath("full")));
    // Its update archive went with it: not there, and said so.
    EXPECT_FALSE(restore(points, 0, home.filePath("update")).succeeded());
    EXPECT_FALSE(QFileInfo::exists(home.filePath("update")));
    // Read again, the same point is found in the history and comes back.
    const QList<RestorePoint> again = RestorePointsOf(setOf(id), &error);
    ASSERT_EQ(again.size(), 3);
    const JobResult kept = restore(again, 2, home.filePath("kept"));
    ASSERT_TRUE(kept.succeeded()) << kept.reason.toStdString();
    EXPECT_EQ(treeContents(home.filePath("kept")), treeContents(copies.at(1)));
}

TEST_F(HistoryRestoreTest, LinksAndOddNamesPlantedInTheHistoryAreNeitherFollowedNorListed)
{
    const quint32 id = addSet(IncrementalArchiving);
    runAfterEach(id, {[] {}, [&] { writeFile(source + "/a.txt", "alpha 2"); }, [] {}});
    const QString history = destination + "/docs.history";
    const QStringList kept = QDir(history).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(kept.size(), 1);
    // Someone else's chain, made by the same set elsewhere, reached only through links.
    const QString elsewhere = home.filePath("elsewhere");
    ASSERT_EQ(QProcess::execute("cp", {"-a", history + "/" + kept.at(0), elsewhere}), 0);
    ASSERT_TRUE(QFile::link(elsewhere, history + "/2020-01-01_10h00m00s"));
    QDir().mkpath(history + "/2020-02-01_10h00m00s");
    ASSERT_TRUE(QFile::link(elsewhere + "/docs.7z", history + "/2020-02-01_10h00m00s/docs.7z"));
    QDir().mkpath(history + "/2020-03-01_10h00m00s..");
    QFile::copy(elsewhere + "/docs.7z", history + "/2020-03-01_10h00m00s../docs.7z");
    QDir().mkpath(history + "/..2020-04-01_10h00m00s");
    QFile::copy(elsewhere + "/docs.7z", history + "/..2020-04-01_10h00m00s/docs.7z");

    QString error;
    QList<RestorePoint> points = RestorePointsOf(setOf(id), &error);
    ASSERT_EQ(points.size(), 3) << error.toStdString();
    for (const RestorePoint& point : points) {
        EXPECT_TRUE(point.chain.isEmpty() || point.chain == kept.at(0)) << point.path.toStdString();
        EXPECT_FALSE(point.path.contains("2020-")) << point.path.toStdString();
    }

    // The history folder itself a link: only the current chain is read.
    ASSERT_TRUE(QDir(history).removeRecursively());
    ASSERT_TRUE(QFile::link(home.filePath("planted"), history));
    QDir().mkpath(home.filePath("planted/2020-01-01_10h00m00s"));
    QFile::copy(elsewhere + "/docs.7z", home.filePath("planted/2020-01-01_10h00m00s/docs.7z"));
    points = RestorePointsOf(setOf(id), &error);
    ASSERT_EQ(points.size(), 1) << error.toStdString();
    EXPECT_EQ(points.at(0).path, fullArchive());
}
