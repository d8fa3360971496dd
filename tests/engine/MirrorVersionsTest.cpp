// A mirror set's kept versions with the real rsync: a year of runs on a simulated clock, then every version of
// every file restored and compared with the source as it was; and links planted in the history never followed.

#include "MirrorVersions.h"
#include "ArchivePath.h"
#include "JobFixture.h"
#include "JobRunner.h"
#include "MirrorCommand.h"
#include "RestoreJob.h"
#include "RestorePoints.h"
#include "SetHistory.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Each entry of a tree by kind and content (a link by its target), never through a link.
QMap<QString, QString> contents(const QString& folder)
{
    QMap<QString, QString> entries;
    const QDir root(folder);
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QString text;
        if (info.isSymLink()) {
            QByteArray target(4096, '\0');
            const auto length = ::readlink(QFile::encodeName(info.filePath()).constData(), target.data(), 4096);
            text = "link " + QString::fromUtf8(target.left(length));
        } else if (info.isDir()) {
            text = "folder";
        } else {
            QFile file(info.filePath());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            text = "file " + QString::fromUtf8(file.readAll());
        }
        entries.insert(root.relativeFilePath(info.filePath()), text);
    }
    return entries;
}

class MirrorVersionsTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        id = addSet(MirrorCopying);
        // Every version stays: these tests are about restoring them, not thinning them.
        BackupSet keepAll;
        ASSERT_TRUE(GetBackupSet(id, keepAll));
        keepAll.keepLast = 10000;
        ASSERT_TRUE(UpdateBackupSet(keepAll));
        ASSERT_TRUE(GetBackupSet(id, set));
    }
    void TearDown() override
    {
        qunsetenv("VELMORA_NOW");
        JobFixture::TearDown();
    }

    void setNow(const QDateTime& time) { qputenv("VELMORA_NOW", time.toString(Qt::ISODate).toUtf8()); }
    // A file written as at the simulated time: rsync tells changes by size and time, and a run's changes all
    // happen within one real second.
    void put(const QString& relative, const QByteArray& bytes, const QDateTime& time)
    {
        const QString path = source + "/" + relative;
        if (QFileInfo(path).isDir())
            QDir(path).removeRecursively();
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        // Written out first: the write at closing would set the time again.
        ASSERT_TRUE(file.flush());
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    }
    void remove(const QString& relative)
    {
        const QString path = source + "/" + relative;
        if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
            QDir(path).removeRecursively();
        else
            QFile::remove(path);
    }
    void link(const QString& relative, const QString& target)
    {
        remove(relative);
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(source + "/" + relative)), 0);
    }
    JobResult restoreAsOf(const QDateTime& time, const QString& target, const QStringList& paths = {})
    {
        RestoreRequest request;
        request.points = RestorePointsOf(set);
        EXPECT_EQ(request.points.size(), 1);
        request.index = 0;
        request.target = target;
        request.paths = paths;
        request.mirrorAsOf = time;
        JobRunner runner;
        return runner.runRestore(request);
    }
    QString history() const { return ChainHistoryFolder(set); }

    quint32 id = 0;
    BackupSet set;
};

} // namespace

TEST_F(MirrorVersionsTest, EveryVersionOfEveryFileOfARunSeriesRestoresAsTheSourceHeldIt)
{
    const QDateTime start(QDate(2026, 1, 1), QTime(8, 0, 0));
    QList<QDateTime> runTimes;
    QList<QMap<QString, QString>> states;
    for (int run = 0; run < 36; ++run) {
        const QDateTime now = start.addDays(run * 10).addSecs(run * 37);
        const QDateTime written = now.addSecs(-60);
        // Changes that come back in cycles: edits, deletions and returns, a file that becomes a folder and back,
        // a link that changes its target, a folder that goes with what it holds.
        put("a.txt", "alpha " + QByteArray::number(run), written);
        if (run % 3 == 0)
            put("sub/b.txt", "beta " + QByteArray::number(run), written);
        if (run % 4 == 1)
            remove("sub/b.txt");
        if (run % 5 == 2)
            put("kind", "a file " + QByteArray::number(run), written);
        if (run % 5 == 4) {
            remove("kind");
            put("kind/inner.txt", "inside " + QByteArray::number(run), written);
        }
        if (run % 7 == 3)
            link("pointer", run % 2 == 0 ? "a.txt" : "/etc/hostname");
        if (run % 6 == 5)
            remove("sub");
        if (run % 6 == 0)
            put("sub/deep/c.txt", "c " + QByteArray::number(run), written);
        if (run % 9 == 8)
            remove("Новый файл.txt");
        if (run % 9 == 0)
            put("Новый файл.txt", "gamma " + QByteArray::number(run), written);
        setNow(now);
        const JobResult result = MirrorJob(id);
        ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
        runTimes.append(now);
        states.append(contents(source));
        // The mirror stays the exact copy.
        ASSERT_EQ(contents(MirrorFolder(set)), states.last()) << run;
    }
    setNow(start.addYears(2));
    // Every run's stamp is a point of the history, and no run left an empty one.
    for (const MirrorVersionFolder& version : ReadSetHistory(set).mirrorVersions) {
        EXPECT_TRUE(runTimes.contains(version.time)) << version.stamp.toStdString();
        EXPECT_FALSE(QDir(version.path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
    EXPECT_GE(ReadSetHistory(set).mirrorVersions.size(), 30);

    // Each version a listing names restores, as of its stamp, to what the source held then.
    QSet<QString> everyPath;
    for (const auto& state : std::as_const(states)) {
        for (auto entry = state.cbegin(); entry != state.cend(); ++entry) {
            if (entry.value() != "folder")
                everyPath.insert(entry.key());
        }
    }
    int restored = 0;
    for (const QString& path : std::as_const(everyPath)) {
        const QList<FileVersion> versions = VersionsOf(RestorePointsOf(set), path);
        ASSERT_FALSE(versions.isEmpty()) << path.toStdString();
        EXPECT_EQ(versions.last().point.stamp, RestoreStamp(start.addYears(2))) << path.toStdString();
        for (const FileVersion& version : versions) {
            qsizetype run = runTimes.size() - 1;
            while (run >= 0 && runTimes.at(run) > version.point.time)
                --run;
            ASSERT_GE(run, 0) << path.toStdString() << " " << version.point.stamp.toStdString();
            const QString expected = states.at(run).value(path);
            if (version.deleted) {
                EXPECT_TRUE(expected.isEmpty() || expected == "folder") << path.toStdString();
                continue;
            }
            const QString target = home.filePath(QString("restored %1").arg(++restored));
            const JobResult result = restoreAsOf(version.point.time, target, {path});
            ASSERT_TRUE(result.succeeded()) << path.toStdString() << ": " << result.reason.toStdString();
            EXPECT_EQ(contents(target).value(path), expected)
                << path.toStdString() << " as of " << version.point.stamp.toStdString();
        }
    }
    EXPECT_GT(restored, 60);

    // The whole folder as of each run: everything the source held then, as it was. A file added since may show
    // too, since a run leaves no trace of what it only adds.
    for (qsizetype run = 0; run < runTimes.size(); run += 5) {
        const QString target = home.filePath(QString("whole %1").arg(run));
        const JobResult result = restoreAsOf(runTimes.at(run), target);
        ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
        const auto back = contents(target);
        EXPECT_EQ(QFileInfo(target).permissions(), QFileInfo(source).permissions());
        for (auto entry = states.at(run).cbegin(); entry != states.at(run).cend(); ++entry)
            EXPECT_EQ(back.value(entry.key()), entry.value()) << entry.key().toStdString() << " run " << run;
    }
}

TEST_F(MirrorVersionsTest, ARunThatChangesNothingLeavesNoPointAndTwoRunsInOneSecondKeepBothVersions)
{
    const QDateTime now(QDate(2026, 3, 1), QTime(12, 0, 0));
    setNow(now);
    ASSERT_TRUE(MirrorJob(id).succeeded());
    ASSERT_TRUE(MirrorJob(id).succeeded());
    EXPECT_FALSE(QFileInfo::exists(history()));

    put("a.txt", "second", now.addSecs(-5));
    ASSERT_TRUE(MirrorJob(id).succeeded());
    put("a.txt", "third!", now.addSecs(-3));
    ASSERT_TRUE(MirrorJob(id).succeeded());
    // Two runs on the same second: the second's versions go to the next second, never over the first's.
    const QList<MirrorVersionFolder> versions = ReadSetHistory(set).mirrorVersions;
    ASSERT_EQ(versions.size(), 2);
    EXPECT_EQ(versions.at(1).time, now);
    EXPECT_EQ(versions.at(0).time, now.addSecs(1));
    EXPECT_EQ(contents(versions.at(1).path).value("a.txt"), "file alpha");
    EXPECT_EQ(contents(versions.at(0).path).value("a.txt"), "file second");

    // The shown command names the folder the replaced files go to.
    const Command command = BuildMirrorCommand(set);
    EXPECT_TRUE(
        command.text.contains("--backup --backup-dir=\"" + history() + "/" + RestoreStamp(now.addSecs(2)) + "/\""))
        << command.text.toStdString();
}

TEST_F(MirrorVersionsTest, ALinkPlantedAsTheHistoryFailsTheRunBeforeAnythingChanges)
{
    const QString elsewhere = home.filePath("elsewhere");
    QDir().mkpath(elsewhere);
    setNow(QDateTime(QDate(2026, 3, 1), QTime(12, 0, 0)));
    ASSERT_TRUE(MirrorJob(id).succeeded());
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere).constData(), QFile::encodeName(history()).constData()), 0);
    put("a.txt", "changed", QDateTime(QDate(2026, 3, 1), QTime(12, 30, 0)));
    setNow(QDateTime(QDate(2026, 3, 1), QTime(13, 0, 0)));
    const JobResult result = MirrorJob(id);
    EXPECT_EQ(result.outcome, JobOutcome::PrepareFailed);
    EXPECT_TRUE(result.reason.contains(history())) << result.reason.toStdString();
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    EXPECT_EQ(contents(MirrorFolder(set)).value("a.txt"), "file alpha");
}

TEST_F(MirrorVersionsTest, ARestoreNeverFollowsALinkInTheHistory)
{
    const QDateTime first(QDate(2026, 4, 1), QTime(9, 0, 0));
    setNow(first);
    put("docs/letter.txt", "dear", first.addSecs(-10));
    ASSERT_TRUE(MirrorJob(id).succeeded());
    const QDateTime second = first.addDays(1);
    put("docs/letter.txt", "dear sir", second.addSecs(-10));
    setNow(second);
    ASSERT_TRUE(MirrorJob(id).succeeded());
    ASSERT_EQ(ReadSetHistory(set).mirrorVersions.size(), 1);

    // Outside: what no restore may copy.
    const QString outside = home.filePath("outside");
    QDir().mkpath(outside + "/docs");
    QFile secret(outside + "/docs/letter.txt");
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("secret");
    secret.close();
    QFile other(outside + "/passwd");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("secret");
    other.close();
    // A stamp folder that is a link, older than every run: as of before it, it would give the secret.
    const QString plantedStamp = history() + "/" + RestoreStamp(first.addSecs(-3600));
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(plantedStamp).constData()), 0);
    // In the real version folder, a link to outside where a folder of the point would be.
    const QString version = ReadSetHistory(set).mirrorVersions.constFirst().path;
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(version + "/etc").constData()), 0);

    setNow(second.addDays(1));
    const QList<FileVersion> versions = VersionsOf(RestorePointsOf(set), "docs/letter.txt");
    ASSERT_EQ(versions.size(), 2);
    EXPECT_EQ(versions.at(0).size, 4);

    const JobResult early = restoreAsOf(first.addSecs(-7200), home.filePath("early"), {"docs/letter.txt"});
    ASSERT_TRUE(early.succeeded()) << early.reason.toStdString();
    EXPECT_EQ(contents(home.filePath("early")).value("docs/letter.txt"), "file dear");

    const JobResult whole = restoreAsOf(first, home.filePath("whole"));
    ASSERT_TRUE(whole.succeeded()) << whole.reason.toStdString();
    const auto back = contents(home.filePath("whole"));
    EXPECT_EQ(back.value("etc"), "link " + outside);
    EXPECT_FALSE(back.contains("etc/passwd"));
    EXPECT_FALSE(back.contains("passwd"));

    // Asked for a path through the link, the restore has nothing to give rather than what lies outside.
    const JobResult through = restoreAsOf(first, home.filePath("through"), {"etc/passwd"});
    EXPECT_FALSE(through.succeeded());
    EXPECT_FALSE(QFileInfo::exists(home.filePath("through/etc/passwd")));
    EXPECT_TRUE(VersionsOf(RestorePointsOf(set), "etc/passwd").isEmpty());
}

TEST_F(MirrorVersionsTest, AFailedRunKeepsWhatItAlreadyReplacedAndLeavesNoEmptyPoint)
{
    const QDateTime now(QDate(2026, 7, 1), QTime(8, 0, 0));
    setNow(now);
    ASSERT_TRUE(MirrorJob(id).succeeded());
    MutableSettings().rsyncPath = home.filePath("fakebin/rsync");
    // rsync's eighth argument names the version folder: a run that fails after it replaced a file there.
    writeScript(
        Settings().rsyncPath, "d=\"${8#--backup-dir=}\"; mv \"$6/a.txt\" \"$d\" && echo new > \"$6/a.txt\"; exit 12");
    const JobResult failed = MirrorJob(id);
    EXPECT_EQ(failed.outcome, JobOutcome::ToolFailed);
    const QList<MirrorVersionFolder> versions = ReadSetHistory(set).mirrorVersions;
    ASSERT_EQ(versions.size(), 1);
    EXPECT_EQ(contents(versions.first().path).value("a.txt"), "file alpha");

    // One that fails before it replaced anything leaves no empty point.
    writeScript(Settings().rsyncPath, "exit 12");
    setNow(now.addDays(1));
    EXPECT_EQ(MirrorJob(id).outcome, JobOutcome::ToolFailed);
    EXPECT_EQ(ReadSetHistory(set).mirrorVersions.size(), 1);
    EXPECT_EQ(QDir(history()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);
}
