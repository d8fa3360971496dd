#include "ArchiveCommand.h"
#include "JobFixture.h"
#include "JobRunner.h"
#include "Overdue.h"
#include "RunLogs.h"
#include "SetCollection.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

QString setFileText(const QString& path)
{
    return QString::fromUtf8(readFile(path));
}

} // namespace

class RunResultsTest : public JobFixture
{
protected:
    QString docsFile() const { return setFile("Docs"); }
};

TEST_F(RunResultsTest, ADoneRunRecordsItsResultSizeAndDateAndKeepsItsLog)
{
    const quint32 id = addSet(FullArchiving);
    const JobResult result = RunSetJob(id);
    ASSERT_EQ(ResultKindOf(result), JobResultKind::Done) << result.reason.toStdString();
    EXPECT_EQ(result.bytesWritten, QFileInfo(fullArchive()).size());
    EXPECT_GE(result.durationMs, 0);
    EXPECT_TRUE(JobResultText(result).startsWith("Done in 0 s, ")) << JobResultText(result).toStdString();
    EXPECT_TRUE(JobResultText(result).endsWith(" bytes written, verified in 0 s"));

    const QString file = setFileText(docsFile());
    EXPECT_TRUE(file.contains("\nlastrun=" + DateStamp(false) + "\n")) << file.toStdString();
    EXPECT_TRUE(file.contains("\nLastResult=done\n"));
    EXPECT_TRUE(file.contains(QStringLiteral("\nLastResultBytes=%1\n").arg(result.bytesWritten)));
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_EQ(set.lastResult, "done");
    EXPECT_EQ(SetResultText(set), JobResultText(result));

    const QList<KeptRun> runs = KeptRunsOf(id);
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs.first().result, JobResultKind::Done);
    EXPECT_EQ(runs.first().path, result.logPath);
    EXPECT_TRUE(result.logPath.startsWith(home.filePath(".local/state/Quorvane/Velmora/logs/")));
    // The tool's whole output, then the result.
    const QByteArray log = readFile(result.logPath);
    EXPECT_TRUE(log.contains("Everything is Ok")) << log.data();
    EXPECT_TRUE(log.endsWith("== " + JobResultText(result).toUtf8() + "\n"));
}

TEST_F(RunResultsTest, AFailureIsRecordedWithItsReasonAndNeverStampsTheLastRun)
{
    const quint32 id = addSet(FullArchiving);
    QDir(destination).removeRecursively();
    const JobResult result = RunSetJob(id);
    ASSERT_EQ(ResultKindOf(result), JobResultKind::Failed);
    EXPECT_EQ(JobResultText(result), "Failed: " + result.reason);
    const QString file = setFileText(docsFile());
    EXPECT_TRUE(file.contains("\nlastrun=0\n")) << file.toStdString();
    EXPECT_TRUE(file.contains("\nLastResult=failed\n"));
    EXPECT_TRUE(file.contains("\nLastResultReason=" + result.reason + "\n"));
    EXPECT_EQ(KeptRunsOf(id).first().result, JobResultKind::Failed);
}

TEST_F(RunResultsTest, NoToAnEmptySourceIsNeitherAFailureNorARunToRemember)
{
    const quint32 id = addSet(FullArchiving);
    QDir(source).removeRecursively();
    QDir().mkpath(source);
    const QByteArray before = readFile(docsFile());
    const JobResult result = RunSetJob(id);
    ASSERT_EQ(result.outcome, JobOutcome::SourceEmpty);
    EXPECT_EQ(readFile(docsFile()), before);
    EXPECT_TRUE(KeptRunsOf(id).isEmpty());

    // Nor is it reported as an error, alone or among other sets.
    const qsizetype shown = messages.messages().size();
    ReportJobResult(result);
    EXPECT_TRUE(UpdateAllJob().isEmpty());
    EXPECT_EQ(messages.messages().size(), shown);
    EXPECT_EQ(readFile(docsFile()), before);
}

TEST_F(RunResultsTest, AWarningsRunNamesTheUnreadFilesAndStampsTheLastRun)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "dropping the capability to read every file needs root";
    makeTree(source, {{"locked/one.txt", "1"}});
    QFile::setPermissions(source + "/locked", {});
    // The real 7-Zip, without root's power to read every file.
    useFake7Zip("#!/bin/sh\nexec setpriv --bounding-set=-dac_override,-dac_read_search /usr/bin/7zz \"$@\"\n");
    const quint32 id = addSet(FullArchiving);
    const JobResult result = RunSetJob(id);
    QFile::setPermissions(source + "/locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(ResultKindOf(result), JobResultKind::Warnings) << result.reason.toStdString();
    EXPECT_EQ(result.warningCount, 1);
    EXPECT_EQ(result.bytesWritten, QFileInfo(fullArchive()).size());
    EXPECT_TRUE(JobResultText(result).startsWith("Done with warnings (1) in ")) << JobResultText(result).toStdString();
    const QString file = setFileText(docsFile());
    EXPECT_TRUE(file.contains("\nlastrun=" + DateStamp(false) + "\n"));
    EXPECT_TRUE(file.contains("\nLastResult=warnings\n"));
    EXPECT_TRUE(file.contains("\nLastResultWarnings=1\n"));
}

TEST_F(RunResultsTest, TheLastTwentyRunsOfASetAreKept)
{
    const quint32 id = addSet(FullArchiving);
    QDir(destination).removeRecursively();
    // A stray file in the folder is no run and is left alone.
    QDir().mkpath(RunLogsFolderOf(id));
    writeFile(RunLogsFolderOf(id) + "/notes.txt", "mine");
    QStringList paths;
    for (int i = 0; i < kKeptRunsPerSet + 3; ++i)
        paths.append(RunSetJob(id).logPath);
    const QList<KeptRun> runs = KeptRunsOf(id);
    ASSERT_EQ(runs.size(), kKeptRunsPerSet);
    // Newest first; the three oldest are gone.
    EXPECT_EQ(runs.first().path, paths.last());
    EXPECT_EQ(runs.last().path, paths.at(3));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(QFileInfo::exists(paths.at(i)));
    EXPECT_TRUE(QFileInfo::exists(RunLogsFolderOf(id) + "/notes.txt"));
    for (qsizetype i = 1; i < runs.size(); ++i)
        EXPECT_GE(runs.at(i - 1).started, runs.at(i).started);
}

namespace {

// The bytes this process has read through read() and its kin so far, as the kernel counts them.
qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

} // namespace

TEST(RunLogTail, TheEndOfABigLogIsReadWithoutReadingTheWhole)
{
    TempHome home;
    const QString path = home.filePath("big.log");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray line(99, 'x');
        QByteArray chunk;
        for (int i = 0; i < 10000; ++i)
            chunk += line + '\n';
        for (int i = 0; i < 100; ++i)
            file.write(chunk);
        file.write("second to last\nlast without end");
    }
    const qint64 readBefore = bytesReadSoFar();
    ASSERT_GE(readBefore, 0) << "the kernel does not count this process's reads";
    const QByteArray lines = ReadLogTailLines(path, 3);
    const QByteArray bytes = ReadLogTail(path, 40);
    // What the tails took from a log of 100 MB: a block or two from its end (the count includes reading /proc).
    EXPECT_LT(bytesReadSoFar() - readBefore, 1 << 20);
    EXPECT_EQ(lines, QByteArray(99, 'x') + "\nsecond to last\nlast without end");
    // Starts at a line's start within the bytes.
    EXPECT_EQ(bytes, "second to last\nlast without end");
    const QByteArray full = QByteArray(99, 'x') + '\n';
    EXPECT_EQ(ReadLogTailLines(path, 1000, 250), full + full + "second to last\nlast without end");
    EXPECT_TRUE(ReadLogTail(home.filePath("missing.log"), 10).isEmpty());
}

// The copy that was to leave the machine failed: the backup here still counts, and the set says what is missing.
TEST_F(RunResultsTest, AFailedOffsiteCopyLeavesTheBackupDoneAndMarksTheSet)
{
    BackupSet docs = docsSet(IncrementalArchiving);
    // Nothing listens on port 1 of the loopback address.
    docs.offsite = "ssh://velmora@127.0.0.1:1/backups";
    const quint32 id = AddBackupSet(docs);
    SaveBackupSet(id);
    const JobResult result = RunSetJob(id);
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    ASSERT_TRUE(result.offsiteFailed());
    EXPECT_TRUE(QFileInfo::exists(fullArchive()));
    EXPECT_EQ(JobResultText(result), "Done here, off-site copy failed: " + result.offsiteFailure);

    const QString file = setFileText(docsFile());
    EXPECT_TRUE(file.contains("\nlastrun=" + DateStamp(false) + "\n")) << file.toStdString();
    EXPECT_TRUE(file.contains("\nLastResult=done\n"));
    EXPECT_TRUE(file.contains("\nLastOffsiteResult=failed\n"));
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_EQ(SetResultText(set), JobResultText(result));
    EXPECT_EQ(SetAlarmOf(set, QDateTime::currentDateTime(), 7).kind, SetAlarm::OffsiteFailed);

    // Reported as what it is, with the local success beside it.
    ReportJobResult(result);
    ASSERT_FALSE(messages.messages().isEmpty());
    EXPECT_TRUE(messages.messages().constLast().contains("was made here, but its off-site copy failed"));

    // Once the set no longer copies off site, its next success forgets the failure.
    set.offsite.clear();
    ASSERT_TRUE(UpdateBackupSet(set));
    ASSERT_TRUE(RunSetJob(id).succeeded());
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_EQ(set.lastOffsiteResult, "");
    EXPECT_EQ(SetAlarmOf(set, QDateTime::currentDateTime(), 7).kind, SetAlarm::None);
}

// A set added by hand to the same folder there under the same names is refused by the run, not just the dialog.
TEST_F(RunResultsTest, AnOffsiteCopyThatWouldTakeAnotherSetsNamesThereIsNotMade)
{
    BackupSet docs = docsSet(FullArchiving);
    docs.offsite = "ssh://velmora@127.0.0.1:1/backups";
    const quint32 id = AddBackupSet(docs);
    SaveBackupSet(id);
    BackupSet twin = docsSet(FullArchiving);
    twin.name = "Twin";
    twin.target = home.filePath("elsewhere");
    twin.offsite = docs.offsite;
    AddBackupSet(twin);
    const JobResult result = RunSetJob(id);
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    EXPECT_TRUE(result.offsiteFailure.startsWith("The set 'Twin' keeps its copy under the same names"))
        << result.offsiteFailure.toStdString();
}
