#include "JobRunner.h"

#include "DestinationDisk.h"
#include "JobFixture.h"
#include "LastRun.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "TempHome.h"
#include "ToolTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QThread>

#include <functional>

namespace {

// Handles events meanwhile, so the signals queued for this thread arrive.
bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

// A real tool's run through the runner: at least ten values that only rise, ending at 100, and a log without
// the tool's redraws but with its real lines.
void expectRisingProgressAndCleanLog(const QSignalSpy& progress, const QString& realLine)
{
    ASSERT_GE(progress.count(), 11);
    int last = -2;
    int rises = 0;
    for (const QList<QVariant>& signal : progress) {
        const JobProgress value = signal.at(0).value<JobProgress>();
        EXPECT_GE(value.percent, last);
        EXPECT_LE(value.percent, 100);
        rises += value.percent > last ? 1 : 0;
        last = value.percent;
        EXPECT_EQ(value.setIndex, 1);
        EXPECT_EQ(value.setCount, 1);
    }
    EXPECT_GE(rises, 10);
    EXPECT_EQ(last, 100);
    const QString log = GetLastRunTexts().logText;
    const QByteArray file = readFile(LastRunOutputPath(false));
    EXPECT_TRUE(log.contains(realLine)) << log.toStdString();
    EXPECT_TRUE(file.contains(realLine.toUtf8()));
    for (const char redraw : {'\b', '\r'}) {
        EXPECT_FALSE(log.contains(QLatin1Char(redraw)));
        EXPECT_FALSE(file.contains(redraw));
    }
    // rsync's last figure stays as the run's summary, one line.
    EXPECT_LE(log.count(QLatin1Char('%')), 1) << log.toStdString();
}

qint64 bytesIn(const QString& folder)
{
    qint64 total = 0;
    for (const QString& file : treeFiles(folder))
        total += QFileInfo(folder + "/" + file).size();
    return total;
}

QStringList everything(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class JobRunnerTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        recorder.watch(runner);
    }
    // A full-archiving set at the fastest compression level with an archive made from the small tree, and
    // then a source of 200 MB.
    quint32 addBigArchiveSet()
    {
        const quint32 id = addSet(FullArchiving);
        FindBackupSet(id)->compLevel = 1;
        EXPECT_EQ(runner.runSet(id).outcome, JobOutcome::Done);
        previousArchive = readFile(fullArchive());
        EXPECT_FALSE(previousArchive.isEmpty());
        for (int part = 0; part < 4; ++part)
            writeIncompressible(QStringLiteral("%1/big%2.bin").arg(source).arg(part), 50 << 20);
        return id;
    }
    bool scratchArchiveAppeared() const
    {
        return !QDir(destination).entryList({".docs.7z.velmora-*"}, QDir::Files | QDir::Hidden).isEmpty();
    }
    static JobResult resultOf(const QSignalSpy& spy) { return spy.at(0).at(0).value<JobResult>(); }
    void expectPreviousArchiveAlone()
    {
        EXPECT_EQ(readFile(fullArchive()), previousArchive);
        // The marker of the destination's disk, which the first success writes where the disk has no UUID, is
        // no temporary file.
        QStringList files = everything(destination);
        files.removeAll(kDestinationMarkerName);
        EXPECT_EQ(files, QStringList({"docs.7z"}));
        EXPECT_EQ(everything(home.filePath("tmp")), QStringList());
    }

    JobRunner runner;
    QByteArray previousArchive;
};

TEST_F(JobRunnerTest, AnArchiveRunStoppedHalfWayLeavesThePreviousArchiveAndNoTemporaryFile)
{
    const quint32 id = addBigArchiveSet();
    QSignalSpy started(&runner, &JobRunner::started);
    QSignalSpy finished(&runner, &JobRunner::finished);
    ASSERT_TRUE(runner.startSet(id));
    EXPECT_EQ(started.count(), 1);
    ASSERT_TRUE(waitFor([&] { return scratchArchiveAppeared(); }, 60000));
    ASSERT_TRUE(runner.isRunning()) << "the run ended before it could be stopped";

    QElapsedTimer sinceStop;
    sinceStop.start();
    runner.stop();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_LT(sinceStop.elapsed(), 5000);
    const JobResult result = resultOf(finished);
    EXPECT_EQ(result.outcome, JobOutcome::Stopped);
    EXPECT_EQ(result.reason, LoadStringById(StringId::RunStopped));
    EXPECT_EQ(runner.lastResult().outcome, JobOutcome::Stopped);
    ASSERT_TRUE(runner.wait(5000));
    EXPECT_FALSE(runner.isRunning());
    expectPreviousArchiveAlone();
    // The run that made the previous archive, then the stopped one, which never put anything in place.
    EXPECT_EQ(recorder.events(),
        QStringList({"started", "set 1 of 1", "copying", "finished", "started", "set 1 of 1", "finished"}));
}

TEST_F(JobRunnerTest, ARunPastItsTimeLimitIsStoppedAndSaysItRanOutOfTime)
{
    const quint32 id = addBigArchiveSet();
    runner.setTimeLimit(std::chrono::seconds(1));
    QSignalSpy finished(&runner, &JobRunner::finished);
    QElapsedTimer sinceStart;
    sinceStart.start();
    ASSERT_TRUE(runner.startSet(id));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_LT(sinceStart.elapsed(), 6000);
    const JobResult result = resultOf(finished);
    EXPECT_EQ(result.outcome, JobOutcome::TimedOut);
    EXPECT_EQ(result.reason, LoadStringById(StringId::RunTimedOut).arg(1));
    ASSERT_TRUE(runner.wait(5000));
    expectPreviousArchiveAlone();

    // The limit is counted from each run's start, not from the first.
    QFile::remove(source + "/big0.bin");
    QFile::remove(source + "/big1.bin");
    QFile::remove(source + "/big2.bin");
    QFile::remove(source + "/big3.bin");
    runner.setTimeLimit(std::chrono::seconds(60));
    EXPECT_EQ(runner.runSet(id).outcome, JobOutcome::Done);
}

TEST_F(JobRunnerTest, AStoppedMirrorRunKeepsWhatRsyncCopiedAndLeavesNoPartialFile)
{
    // Many small files make rsync take long enough to be stopped in the middle.
    QMap<QString, QByteArray> files;
    for (int index = 0; index < 20000; ++index)
        files.insert(QStringLiteral("d%1/f%2.txt").arg(index / 500).arg(index), QByteArray::number(index));
    makeTree(source, files);
    const quint32 id = addSet(MirrorCopying);
    const QString mirror = destination + "/Docs";
    QDir().mkpath(mirror);
    writeFile(mirror + "/a.txt", "alpha");
    writeFile(mirror + "/d0/f0.txt", "0");

    QSignalSpy finished(&runner, &JobRunner::finished);
    ASSERT_TRUE(runner.startSet(id));
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(mirror + "/d3"); }, 60000));
    runner.stop();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(resultOf(finished).outcome, JobOutcome::Stopped);
    ASSERT_TRUE(runner.wait(5000));

    const QStringList copied = treeFiles(mirror);
    EXPECT_LT(copied.size(), treeFiles(source).size()) << "rsync was done before it was stopped";
    EXPECT_TRUE(copied.contains("a.txt"));
    EXPECT_TRUE(copied.contains("d0/f0.txt"));
    // Every file there is whole, and no hidden scratch file of rsync is left.
    for (const QString& file : copied)
        EXPECT_EQ(readFile(mirror + "/" + file), readFile(source + "/" + file)) << file.toStdString();
}

TEST_F(JobRunnerTest, ARealArchiveRunReportsRisingProgressAtMostTenTimesASecond)
{
    const quint32 id = addSet(FullArchiving);
    FindBackupSet(id)->compLevel = 1;
    for (int part = 0; part < 4; ++part)
        writeIncompressible(QStringLiteral("%1/big%2.bin").arg(source).arg(part), 50 << 20);
    QSignalSpy progress(&runner, &JobRunner::progress);
    QElapsedTimer took;
    took.start();
    ASSERT_EQ(runner.runSet(id).outcome, JobOutcome::Done);
    EXPECT_LE(progress.count(), took.elapsed() / 100 + 3);
    expectRisingProgressAndCleanLog(progress, "\nEverything is Ok\n");
    const JobProgress last = progress.last().at(0).value<JobProgress>();
    EXPECT_EQ(last.bytesTotal, bytesIn(source));
    EXPECT_EQ(last.bytesDone, last.bytesTotal);
    EXPECT_EQ(last.secondsLeft, 0);
}

TEST_F(JobRunnerTest, ARealMirrorRunReportsRisingProgressAndLogsEveryChange)
{
    // Many files: rsync reports at the end of each, so that a fast disk still gives many values.
    for (int part = 0; part < 50; ++part)
        writeIncompressible(QStringLiteral("%1/big%2.bin").arg(source).arg(part), 4 << 20);
    const quint32 id = addSet(MirrorCopying);
    runner.setProgressInterval(std::chrono::milliseconds(1));
    QSignalSpy progress(&runner, &JobRunner::progress);
    ASSERT_EQ(runner.runSet(id).outcome, JobOutcome::Done);
    expectRisingProgressAndCleanLog(progress, ">f+++++++++ big49.bin\n");
    EXPECT_EQ(progress.last().at(0).value<JobProgress>().bytesDone, bytesIn(source));
    // Nothing to do is done as well, and the log is never empty.
    progress.clear();
    ASSERT_EQ(runner.runSet(id).outcome, JobOutcome::Done);
    EXPECT_EQ(progress.last().at(0).value<JobProgress>().percent, 100);
    EXPECT_TRUE(GetLastRunTexts().logText.contains("to-chk=0/")) << GetLastRunTexts().logText.toStdString();
}

TEST_F(JobRunnerTest, StopWithNoJobDoesNothingAndLeavesNoStopForTheNextRun)
{
    const quint32 id = addSet(FullArchiving);
    QSignalSpy finished(&runner, &JobRunner::finished);
    runner.stop();
    EXPECT_FALSE(runner.isRunning());
    EXPECT_EQ(finished.count(), 0);
    ASSERT_TRUE(runner.startSet(id));
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(resultOf(finished).outcome, JobOutcome::Done);
    EXPECT_FALSE(archiveEntries(fullArchive()).isEmpty());
}

TEST_F(JobRunnerTest, OneRunOverSeveralSetsEndsAtTheStoppedSetAndNamesNoSetFailed)
{
    const quint32 big = addBigArchiveSet();
    BackupSet second;
    second.name = QStringLiteral("Second");
    second.arcName = QStringLiteral("second");
    second.source = source;
    second.target = destination;
    const quint32 secondId = AddBackupSet(second);
    QSignalSpy finished(&runner, &JobRunner::finished);
    ASSERT_TRUE(runner.startSets({big, secondId}));
    ASSERT_TRUE(waitFor([&] { return scratchArchiveAppeared(); }, 60000));
    runner.stop();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(resultOf(finished).outcome, JobOutcome::Stopped);
    ASSERT_TRUE(runner.wait(5000));
    expectPreviousArchiveAlone();
    // The user asked for the stop: no message calls it a failure.
    EXPECT_TRUE(messages.messages().isEmpty()) << messages.messages().join('\n').toStdString();
}

TEST_F(JobRunnerTest, OneJobRunsInTheProgramWhicheverRunnerStartedItAndItsStateFollowsTheSignals)
{
    const quint32 id = addSet(FullArchiving);
    QList<bool> runningWhenSignalled;
    const auto record = [&] { runningWhenSignalled.append(runner.isRunning()); };
    QObject::connect(&runner, &JobRunner::started, &runner, record, Qt::DirectConnection);
    QObject::connect(&runner, &JobRunner::finished, &runner, record, Qt::DirectConnection);
    QSignalSpy finished(&runner, &JobRunner::finished);
    JobGate gate(runner);
    ASSERT_TRUE(runner.startSet(id));

    // The gate holds the job at its set's start, so it still runs here.
    EXPECT_TRUE(runner.isRunning());
    EXPECT_TRUE(IsJobRunning());
    EXPECT_FALSE(JobRunner::canStart());
    JobRunner other;
    EXPECT_FALSE(other.isRunning());
    EXPECT_FALSE(other.startSet(id));
    EXPECT_EQ(other.runSet(id).outcome, JobOutcome::Refused);
    EXPECT_EQ(ArchiveJob(id).outcome, JobOutcome::Refused);
    EXPECT_FALSE(JobRunner::shared().isRunning());

    gate.open();
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_TRUE(runner.wait(5000));
    EXPECT_EQ(runningWhenSignalled, QList<bool>({true, false}));
    EXPECT_FALSE(IsJobRunning());
    EXPECT_TRUE(JobRunner::canStart());
    EXPECT_EQ(other.runSet(id).outcome, JobOutcome::Done);
}

// Stop while the first set's backup, already made, goes off site: that copy ends, the backup here stays done, and
// the next set does not start.
TEST_F(JobRunnerTest, AStopDuringTheOffsiteCopyEndsItKeepsTheBackupAndStartsNoFurtherSet)
{
    if (!LocalRcloneRemote::available())
        GTEST_SKIP() << LocalRcloneRemote::kMissing;
    const LocalRcloneRemote remote(home.path());
    // Slow enough to be stopped half-way.
    qputenv("VELMORA_OFFSITE_BWLIMIT", "512");
    auto unset = qScopeGuard([] { qunsetenv("VELMORA_OFFSITE_BWLIMIT"); });
    writeIncompressible(source + "/big.bin", 4 << 20);
    BackupSet away = docsSet(FullArchiving);
    away.compLevel = 0;
    away.offsite = remote.destination();
    const quint32 first = AddBackupSet(away);
    SaveBackupSet(first);
    BackupSet next = docsSet(FullArchiving);
    next.name = "Next";
    next.arcName = "next";
    const quint32 second = AddBackupSet(next);
    SaveBackupSet(second);

    bool copying = false;
    QObject::connect(&runner, &JobRunner::progress, &runner,
        [&](const JobProgress& value) { copying = copying || (value.offsite && value.bytesDone > 0); });
    QSignalSpy finished(&runner, &JobRunner::finished);
    ASSERT_TRUE(runner.startSets({first, second}));
    ASSERT_TRUE(waitFor([&] { return copying; }, 60000));
    runner.stop();
    ASSERT_TRUE(finished.wait(30000));
    ASSERT_TRUE(runner.wait(5000));

    BackupSet set;
    ASSERT_TRUE(GetBackupSet(first, set));
    EXPECT_EQ(set.lastResult, "done");
    EXPECT_EQ(set.lastOffsiteResult, "failed");
    EXPECT_TRUE(QFileInfo::exists(fullArchive()));
    // Nothing of the set under an archive's name there.
    EXPECT_TRUE(QDir(remote.folder()).entryList({"docs*.7z"}, QDir::Files).isEmpty());
    ASSERT_TRUE(GetBackupSet(second, set));
    EXPECT_EQ(set.lastResult, "");
    EXPECT_FALSE(QFileInfo::exists(destination + "/next.7z"));
}
