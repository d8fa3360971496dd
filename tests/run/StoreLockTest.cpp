#include "RunTestSupport.h"

#include "JobRunner.h"
#include "Jobs.h"
#include "ProfileStore.h"
#include "RecordingMessages.h"
#include "ResourceIds.h"
#include "SetCollection.h"
#include "Settings.h"
#include "StoreLock.h"
#include "StringTable.h"
#include "ToolTestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <algorithm>
#include <csignal>

namespace {

// Mirror sets whose rsync is a script, set in the options as a user would: it logs when it starts and
// ends, by its process id, and either takes a fixed time or waits until the test opens the gate.
class StoreLockTest : public RunFixture
{
protected:
    void SetUp() override
    {
        source = folder(QStringLiteral("data"));
        makeTree(source, {{"a.txt", "alpha"}});
        destination = folder(QStringLiteral("backup"));
        log = home.filePath(QStringLiteral("rsync.log"));
        gate = home.filePath(QStringLiteral("gate-open"));
        for (const char* name : {"M1", "M2"})
            writeSet(setOf(name, source, destination, MirrorCopying));
    }

    void TearDown() override
    {
        // A script left waiting by a failed test would outlive it.
        writeFile(gate, "open");
        delete g_profileStore;
        g_profileStore = nullptr;
        backupSets.clear();
    }

    void useRsync(const QByteArray& body)
    {
        const QString script = home.filePath(QStringLiteral("bin/rsync"));
        writeScript(script,
            "echo \"start $$ $(date +%s.%N)\" >> '" + log.toUtf8() + "'\n" + body
                + "\necho \"end $$ $(date +%s.%N)\" >> '" + log.toUtf8() + "'");
        writeSettings("RoboPathXP=" + script.toUtf8());
    }
    void useGatedRsync()
    {
        // The first line shows whether the tool's output reaches the terminal while the tool still runs.
        // It also ends when the test's folder is gone, so a run the test killed leaves no tool looping behind.
        useRsync("echo 'rsync is working'\nwhile [ ! -e '" + gate.toUtf8() + "' ] && [ -d '" + home.path().toUtf8()
            + "' ]; do sleep 0.05; done");
    }
    void openGate() { writeFile(gate, "open"); }
    bool waitForStarts(int count) { return waitForText(log, QStringLiteral("start"), 15000) && starts() >= count; }
    int starts() const { return int(QString::fromUtf8(readFile(log)).count(QStringLiteral("start "))); }

    // The window program's view of the same store, in this process.
    void openStoreHere()
    {
        g_profileStore = new ProfileStore(QStringLiteral("Velmora"));
        LoadSettings();
        LoadAllBackupSets();
    }

    QString source;
    QString destination;
    QString log;
    QString gate;
};

struct Interval
{
    qint64 pid = 0;
    double start = 0;
    double end = 0;
};

QList<Interval> intervals(const QByteArray& log)
{
    QMap<QString, Interval> byProcess;
    for (const QString& line : QString::fromUtf8(log).split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(' ');
        Interval& interval = byProcess[fields.at(1)];
        interval.pid = fields.at(1).toLongLong();
        (fields.at(0) == "start" ? interval.start : interval.end) = fields.at(2).toDouble();
    }
    QList<Interval> list = byProcess.values();
    std::sort(list.begin(), list.end(), [](const Interval& a, const Interval& b) { return a.start < b.start; });
    return list;
}

TEST_F(StoreLockTest, TwoRunsStartedTogetherNeverRunTwoJobsAtOnce)
{
    useRsync("sleep 1");

    const auto first = startVelmora({"M1", "M2"});
    const auto second = startVelmora({"M2", "M1"});
    const RunOutcome firstRun = finish(*first);
    const RunOutcome secondRun = finish(*second);

    EXPECT_EQ(firstRun.exitCode, 0) << firstRun.output.toStdString();
    EXPECT_EQ(secondRun.exitCode, 0) << secondRun.output.toStdString();
    const QList<Interval> jobs = intervals(readFile(log));
    ASSERT_EQ(jobs.size(), 4);
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        EXPECT_GT(jobs[i].end, jobs[i].start);
        if (i > 0) {
            EXPECT_GE(jobs[i].start, jobs[i - 1].end) << "job " << i << " started before job " << i - 1 << " ended";
        }
    }
    EXPECT_TRUE((firstRun.output + secondRun.output).contains("== waiting for another backup to finish (velmora-run"))
        << (firstRun.output + secondRun.output).toStdString();
}

TEST_F(StoreLockTest, WhileARunHoldsTheLockNoWaitAndTheWindowRefuseAndOutputArrivesAsItComes)
{
    useGatedRsync();
    const auto holder = startVelmora({"M1"});
    ASSERT_TRUE(waitForStarts(1));

    // The tool is still running, and its first line is already on velmora-run's output.
    QString shown;
    for (int i = 0; i < 100 && !shown.contains("rsync is working"); ++i) {
        holder->waitForReadyRead(100);
        shown += QString::fromUtf8(holder->readAllStandardOutput());
    }
    EXPECT_TRUE(shown.contains("== M1 (Mirror copying)\nrsync is working\n")) << shown.toStdString();

    EXPECT_TRUE(QFileInfo(lockFilePath()).isFile()) << "the lock lives beside the settings file";
    const RunOutcome refused = runVelmora({"--no-wait", "M2"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errorOutput.contains(
        QStringLiteral("another backup is running (velmora-run (process %1)); with --no-wait nothing was run.")
            .arg(holder->processId())))
        << refused.errorOutput.toStdString();

    openStoreHere();
    EXPECT_FALSE(JobRunner::canStart());
    RecordingMessages messages;
    EXPECT_FALSE(RunBackupSet(backupSets.at(1).id));
    EXPECT_TRUE(messages.messages().contains(LoadStringById(StringId::AlreadyRunning)))
        << messages.messages().join('|').toStdString();

    openGate();
    EXPECT_EQ(finish(*holder).exitCode, 0);
    EXPECT_EQ(starts(), 1) << "neither the refused run nor the window ran M2";
    EXPECT_TRUE(JobRunner::canStart()) << "the lock is free again when the run has ended";
}

TEST_F(StoreLockTest, KilledRunWhoseToolStillRunsLeavesTheLockFree)
{
    // Only the first run's tool waits for the gate; it goes on after velmora-run is killed, as a real tool
    // does. Were it to inherit the open lock file, it would hold the lock as long as it runs.
    const QByteArray claim = home.filePath(QStringLiteral("claimed")).toUtf8();
    useRsync("if mkdir '" + claim + "' 2>/dev/null; then\nwhile [ ! -e '" + gate.toUtf8() + "' ] && [ -d '"
        + home.path().toUtf8() + "' ]; do sleep 0.05; done\nfi");
    const auto holder = startVelmora({"M1"});
    ASSERT_TRUE(waitForStarts(1));
    holder->kill();
    holder->waitForFinished();
    const qint64 tool = intervals(readFile(log)).value(0).pid;
    ASSERT_GT(tool, 0);
    ASSERT_TRUE(QFileInfo(lockFilePath()).isFile()) << "a killed run leaves its lock file behind";

    const RunOutcome run = runVelmora({"--no-wait", "M2"});

    EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_TRUE(run.output.contains("== M2: Done in "));
    EXPECT_EQ(::kill(pid_t(tool), 0), 0) << "the killed run's tool was still running";
    EXPECT_EQ(QString::fromUtf8(readFile(log)).count(QStringLiteral("end ")), 1);
}

TEST_F(StoreLockTest, LeftoverLockFilesNameNobodyAndBlockNothing)
{
    // A live process that holds no lock, and one that has ended.
    QProcess sleeper;
    sleeper.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(sleeper.waitForStarted());
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForFinished());
    const QByteArray livePid = QByteArray::number(sleeper.processId());
    const QByteArray deadPid = QByteArray::number(ended.processId());
    const QByteArray thisHost = QSysInfo::machineHostName().toUtf8();
    const QList<QPair<const char*, QByteArray>> leftovers = {
        {"empty, as a power cut right after creating it leaves it", ""},
        {"garbage", "\x01\xff not a lock\n\n\n"},
        {"another host, a process that has ended", deadPid + "\nVelmora\nother-machine\n{0a1b}\n"},
        {"another host, a live process", livePid + "\nvelmora-run\nother-machine\n{0a1b}\n"},
        {"this host, a live process", livePid + "\nvelmora-run\n" + thisHost + "\n"},
        {"written by this program, a live process", livePid + "\nvelmora-run\n"},
    };
    useRsync("true");
    openStoreHere();

    for (const auto& [what, content] : leftovers) {
        SCOPED_TRACE(what);
        writeFile(lockFilePath(), content);
        EXPECT_EQ(StoreLock::holderDescription(), QString());

        const RunOutcome run = runVelmora({"--no-wait", "M1"});

        EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
        EXPECT_TRUE(run.output.contains("== M1: Done in ")) << run.output.toStdString();
        EXPECT_FALSE(QFileInfo::exists(lockFilePath())) << "the run removed the file it took over";
    }
    sleeper.kill();
    sleeper.waitForFinished();
}

TEST_F(StoreLockTest, NoWaitNamesTheWindowWhileItHoldsTheLock)
{
    useRsync("true");
    openStoreHere();
    auto hold = std::make_unique<StoreLockHold>();
    ASSERT_TRUE(hold->held());

    const RunOutcome refused = runVelmora({"--no-wait", "M1"});

    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errorOutput.contains(QStringLiteral("another backup is running (%1 (process %2))")
                                                 .arg(QCoreApplication::applicationName())
                                                 .arg(QCoreApplication::applicationPid())))
        << refused.errorOutput.toStdString();
    EXPECT_EQ(starts(), 0);
    hold.reset();
    EXPECT_EQ(runVelmora({"--no-wait", "M1"}).exitCode, 0);
}

} // namespace
