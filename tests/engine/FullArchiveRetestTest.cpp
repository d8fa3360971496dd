// An update run tests the chain's full archive only when it is no longer the file a good test saw, or that test
// has grown old: a 7-Zip that logs each of its calls tells which archives were tested.

#include "FullArchiveTestRecord.h"
#include "JobFixture.h"
#include "JobRunner.h"
#include "SetCollection.h"
#include "Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <functional>

#include <sys/stat.h>

namespace {

class FullArchiveRetestTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        MutableSettings().fullArchiveRetestDays = 30;
        callLog = home.filePath("7zz-calls.log");
    }
    void TearDown() override
    {
        qunsetenv("VELMORA_NOW");
        MutableSettings().fullArchiveRetestDays = 30;
        JobFixture::TearDown();
    }

    // The real 7-Zip behind a script that writes each call's arguments on a line of the log; extra runs before it.
    void logCalls(const QByteArray& extra = {})
    {
        useFake7Zip("printf '%s\\n' \"$*\" >> '" + callLog.toUtf8() + "'\n" + extra + "\nexec /usr/bin/7zz \"$@\"");
    }
    QStringList calls() const { return QString::fromUtf8(readFile(callLog)).split('\n', Qt::SkipEmptyParts); }
    bool fullArchiveTested() const { return calls().contains("t " + fullArchive() + " -bsp1"); }
    // One update run with a changed file, the log started afresh.
    JobResult updateRun(quint32 id)
    {
        QFile::remove(callLog);
        writeFile(source + "/changed.txt", QByteArray::number(++changes));
        return ArchiveJob(id);
    }
    QString storedTest(quint32 id) const
    {
        BackupSet set;
        EXPECT_TRUE(GetBackupSet(id, set));
        return set.fullArchiveTested;
    }
    // A set with its chain's full archive made and tested, and calls logged from now on.
    quint32 chainStarted()
    {
        const quint32 id = addSet(IncrementalArchiving);
        EXPECT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
        logCalls();
        return id;
    }
    void setNow(const QDateTime& time) { qputenv("VELMORA_NOW", time.toString(Qt::ISODate).toUtf8()); }

    QString callLog;
    int changes = 0;
};

} // namespace

TEST_F(FullArchiveRetestTest, AnUpdateAfterAGoodTestLeavesTheUnchangedFullArchiveUntested)
{
    const quint32 id = chainStarted();
    EXPECT_FALSE(storedTest(id).isEmpty()) << "the new full archive's own test counts";

    for (int run = 1; run <= 2; ++run) {
        const JobResult update = updateRun(id);
        ASSERT_EQ(update.outcome, JobOutcome::Done) << update.reason.toStdString();
        EXPECT_FALSE(fullArchiveTested()) << calls().join(" | ").toStdString();
        // The new update archive is still tested before it joins the chain.
        ASSERT_EQ(updateArchives().size(), run);
        EXPECT_EQ(calls().filter(QRegularExpression("^t ")).size(), 1) << calls().join(" | ").toStdString();
        EXPECT_GE(update.testMs, 0);
    }
}

TEST_F(FullArchiveRetestTest, AFullArchiveThatIsNoLongerTheFileTestedIsTestedAgain)
{
    struct Case
    {
        const char* name;
        std::function<void(const QString& full, quint32 id)> change;
    };
    const Case cases[] = {
        {"its time changed",
            [](const QString& full, quint32) {
                const struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
                ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(full).constData(), times, 0), 0);
            }},
        {"replaced by a copy of itself",
            [](const QString& full, quint32) {
                ASSERT_TRUE(QFile::copy(full, full + ".copy"));
                ASSERT_EQ(
                    ::rename(QFile::encodeName(full + ".copy").constData(), QFile::encodeName(full).constData()), 0);
            }},
        {"written to with its time put back",
            [](const QString& full, quint32) {
                struct stat before
                {
                };
                ASSERT_EQ(::stat(QFile::encodeName(full).constData(), &before), 0);
                QFile file(full);
                ASSERT_TRUE(file.open(QIODevice::ReadWrite));
                const QByteArray head = file.read(32);
                ASSERT_TRUE(file.seek(0));
                ASSERT_EQ(file.write(head), head.size());
                file.close();
                const struct timespec times[2] = {before.st_atim, before.st_mtim};
                ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(full).constData(), times, 0), 0);
            }},
        {"a set file from before the key",
            [this](const QString&, quint32) {
                QString file = QString::fromUtf8(readFile(setFile("Docs")));
                const qsizetype key = file.indexOf("\nFullArchiveTested=");
                ASSERT_GE(key, 0);
                file.remove(key, file.indexOf('\n', key + 1) - key);
                writeFile(setFile("Docs"), file.toUtf8());
                ASSERT_TRUE(ReloadBackupSet("Docs"));
            }},
        {"a key that does not parse",
            [](const QString&, quint32 id) {
                BackupSet set;
                ASSERT_TRUE(GetBackupSet(id, set));
                ASSERT_TRUE(StampSetFileKeys(set.name, {{"FullArchiveTested", "12 x 3 4 5"}}));
            }},
    };
    const quint32 id = chainStarted();
    // Two update runs a case, all in one chain.
    MutableSettings().chainLength = 100;
    for (const Case& c : cases) {
        ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done) << c.name;
        ASSERT_FALSE(fullArchiveTested()) << c.name;
        c.change(fullArchive(), id);
        const JobResult update = updateRun(id);
        ASSERT_EQ(update.outcome, JobOutcome::Done) << c.name << ": " << update.reason.toStdString();
        EXPECT_TRUE(fullArchiveTested()) << c.name;
        EXPECT_EQ(storedTest(id).section(' ', 0, 3),
            FullArchiveTestedText(*FullArchiveIdentityOf(fullArchive()), QDateTime()).section(' ', 0, 3))
            << c.name;
    }
}

TEST_F(FullArchiveRetestTest, ATestOlderThanTheSettingIsRedoneAndItsTimeCountsInTheRun)
{
    const quint32 id = chainStarted();
    const QDateTime start = QDateTime::currentDateTime();

    setNow(start.addDays(29));
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    EXPECT_FALSE(fullArchiveTested());

    // The full archive's test takes two seconds here: the run's test time holds them.
    logCalls("[ \"$1\" = t ] && [ \"$2\" = '" + fullArchive().toUtf8() + "' ] && sleep 2");
    setNow(start.addDays(30).addSecs(60));
    const JobResult expired = updateRun(id);
    ASSERT_EQ(expired.outcome, JobOutcome::Done) << expired.reason.toStdString();
    EXPECT_TRUE(fullArchiveTested());
    EXPECT_GE(expired.testMs, 2000);
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_GE(set.lastResultVerifySeconds, 2);

    setNow(start.addDays(31));
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    EXPECT_FALSE(fullArchiveTested()) << "the test a day ago holds";

    // A test stamped after now says the clock was wrong: its age is unknown.
    setNow(start.addDays(2));
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    EXPECT_TRUE(fullArchiveTested());

    // 0 days tests before every update run.
    MutableSettings().fullArchiveRetestDays = 0;
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
        EXPECT_TRUE(fullArchiveTested()) << run;
    }
}

TEST_F(FullArchiveRetestTest, ANewFullArchiveReplacesTheTestOfTheOldOne)
{
    const quint32 id = chainStarted();
    const QString first = storedTest(id);
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    // The chain at its length: the next run makes a new full archive.
    MutableSettings().chainLength = 1;
    waitForNextSecond();
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    ASSERT_TRUE(updateArchives().isEmpty());
    EXPECT_NE(storedTest(id), first);
    EXPECT_EQ(storedTest(id).section(' ', 0, 3),
        FullArchiveTestedText(*FullArchiveIdentityOf(fullArchive()), QDateTime()).section(' ', 0, 3));
    MutableSettings().chainLength = 10;
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    EXPECT_FALSE(fullArchiveTested());

    // A set that does not test its archives keeps no test of a full archive it did not test.
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    set.verifyArchive = false;
    ASSERT_TRUE(UpdateBackupSet(set));
    MutableSettings().chainLength = 1;
    waitForNextSecond();
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    EXPECT_TRUE(storedTest(id).isEmpty());
}

TEST_F(FullArchiveRetestTest, AFullArchiveThatFailsItsTestStillStopsTheRunBeforeTheChain)
{
    const quint32 id = chainStarted();
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    const QStringList chain = destinationFiles(destination);

    // Touched since its test, and the test then killed: the run fails and changes nothing.
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(fullArchive()).constData(), times, 0), 0);
    logCalls("[ \"$1\" = t ] && [ \"$2\" = '" + fullArchive().toUtf8() + "' ] && kill -KILL $$");
    const QString before = storedTest(id);
    const JobResult killed = updateRun(id);
    EXPECT_EQ(killed.outcome, JobOutcome::ToolFailed) << killed.reason.toStdString();
    EXPECT_EQ(destinationFiles(destination), chain);
    EXPECT_EQ(storedTest(id), before);

    // Damaged: a new chain, as before, and the next update leaves the new full archive untested.
    logCalls();
    QFile file(fullArchive());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(40));
    ASSERT_TRUE(file.putChar('\x5a'));
    file.close();
    const JobResult damaged = updateRun(id);
    ASSERT_EQ(damaged.outcome, JobOutcome::Done) << damaged.reason.toStdString();
    EXPECT_TRUE(damaged.note.contains("did not test good")) << damaged.note.toStdString();
    EXPECT_TRUE(updateArchives().isEmpty());
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    EXPECT_FALSE(fullArchiveTested());
}

TEST_F(FullArchiveRetestTest, VerifyTestsEverythingAndTellsTheNextUpdateWhatItFound)
{
    const quint32 id = chainStarted();
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    JobRunner runner;

    setNow(QDateTime::currentDateTime().addDays(40));
    QFile::remove(callLog);
    ASSERT_EQ(runner.runVerify(id).outcome, JobOutcome::Done);
    EXPECT_TRUE(fullArchiveTested()) << "a verification tests every archive";
    // The verification's good test is as recent as any.
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    EXPECT_FALSE(fullArchiveTested());

    // A full archive the verification finds damaged is tested before the next update, whatever its figures say.
    logCalls("[ \"$1\" = t ] && [ \"$2\" = '" + fullArchive().toUtf8()
        + "' ] && { echo 'ERROR: CRC Failed : a.txt' >&2; exit 2; }");
    QFile::remove(callLog);
    EXPECT_EQ(runner.runVerify(id).outcome, JobOutcome::ArchiveBad);
    EXPECT_TRUE(storedTest(id).isEmpty());
    logCalls();
    ASSERT_EQ(updateRun(id).outcome, JobOutcome::Done);
    EXPECT_TRUE(fullArchiveTested());
}

TEST(FullArchiveTestRecord, OnlyARecentTestOfTheSameFileHolds)
{
    TempHome home;
    const QString path = home.filePath("full.7z");
    writeFile(path, "archive");
    const QDateTime now = QDateTime::currentDateTime();
    const QString stored = FullArchiveTestedText(*FullArchiveIdentityOf(path), now.addDays(-1));
    EXPECT_TRUE(FullArchiveTestHolds(stored, path, now, 30));
    EXPECT_FALSE(FullArchiveTestHolds(stored, path, now, 1));
    EXPECT_FALSE(FullArchiveTestHolds(stored, path, now, 0));
    EXPECT_FALSE(FullArchiveTestHolds(stored, path, now.addDays(-2), 30)) << "tested in the future";
    EXPECT_FALSE(FullArchiveTestHolds(stored + " 1", path, now, 30));
    EXPECT_FALSE(FullArchiveTestHolds(QString(), path, now, 30));
    // A link to the tested file may be pointed elsewhere at any time.
    ASSERT_TRUE(QFile::link(path, home.filePath("link.7z")));
    EXPECT_FALSE(FullArchiveTestHolds(stored, home.filePath("link.7z"), now, 30));
    EXPECT_FALSE(FullArchiveIdentityOf(home.filePath("missing.7z")));
}
