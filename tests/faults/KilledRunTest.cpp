// velmora-run and its 7-Zip killed together, as a logout or a power cut would, at moments spread over a
// whole run: the destination keeps a whole archive each time, and the next run finishes the job and
// leaves nothing of the killed ones behind.

#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <unistd.h>

namespace {

bool archiveTestsWhole(const QString& archive)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/7zz"), {QStringLiteral("t"), archive});
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

class KilledRunTest : public RunFixture
{
protected:
    // Starts velmora-run in a process group of its own, so that one signal reaches its tool too.
    void killRunAfter(qint64 microseconds)
    {
        QProcess process;
        process.setProcessEnvironment(childEnvironment());
        process.setStandardInputFile(QProcess::nullDevice());
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
        process.start(QStringLiteral(VELMORA_RUN_PATH), {QStringLiteral("Docs")});
        ASSERT_TRUE(process.waitForStarted());
        QThread::usleep(quint64(microseconds));
        ::kill(-pid_t(process.processId()), SIGKILL);
        process.waitForFinished();
    }
};

TEST_F(KilledRunTest, TheArchiveStaysWholeAndTheNextRunLeavesNothingBehind)
{
    const QString source = folder("src");
    const QString disk = folder("disk");
    QByteArray noise(8 << 20, Qt::Uninitialized);
    QRandomGenerator(5).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    writeFile(source + "/noise.bin", noise);
    writeFile(source + "/a.txt", "alpha");
    writeSet(setOf("Docs", source, disk, FullArchiving, "docs"));
    const QString archive = disk + "/docs.7z";

    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(runVelmora({"Docs"}).exitCode, 0);
    const qint64 runTime = clock.nsecsElapsed() / 1000;
    const QStringList oldEntries = archiveEntries(archive);
    writeFile(source + "/new.txt", "new");
    const QStringList newEntries = oldEntries + QStringList {"new.txt"};

    const QByteArray oldArchive = readFile(archive);
    QStringList expectedOld = oldEntries, expectedNew = newEntries;
    expectedOld.sort();
    expectedNew.sort();
    // Each kill starts from the old archive. A few kills over the first part of the run, most of them
    // near and past its usual end, where the archive is put in place.
    for (int i = 0; i < 30; ++i) {
        writeFile(archive, oldArchive);
        const double fraction = i < 10 ? 0.06 * i : 0.6 + 0.03 * (i - 10);
        killRunAfter(qint64(double(runTime) * fraction));
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(archiveTestsWhole(archive)) << "kill " << i << " left a damaged or no archive";
        QStringList entries = archiveEntries(archive);
        entries.sort();
        ASSERT_TRUE(entries == expectedOld || entries == expectedNew) << "kill " << i;
    }

    const RunOutcome next = runVelmora({"Docs"});
    EXPECT_EQ(next.exitCode, 0) << next.errorOutput.toStdString();
    EXPECT_TRUE(archiveEntries(archive).contains("new.txt"));
    EXPECT_EQ(destinationFiles(disk), QStringList {"docs.7z"});
    // Nor does the temporary folder keep anything of the killed runs.
    QStringList scratch;
    for (QDirIterator it(home.filePath("tmp"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        scratch.append(it.next());
    EXPECT_EQ(scratch, QStringList());
}

TEST_F(KilledRunTest, ARunReportsDoneOnlyOnceItsArchivesAreOnDisk)
{
    if (const QString problem = straceProblem(); !problem.isEmpty())
        GTEST_SKIP() << problem.toStdString();
    const QString source = folder("src");
    const QString disk = folder("disk");
    writeFile(source + "/a.txt", "alpha");
    writeSet(setOf("Docs", source, disk, IncrementalArchiving, "docs"));
    ASSERT_EQ(runVelmora({"Docs"}).exitCode, 0);
    writeFile(source + "/b.txt", "beta");

    // The full archive is flushed by its placement; the update archive 7-Zip writes under a hidden name
    // is flushed before it takes its own name, and the folder after.
    QProcess traced;
    traced.setProcessEnvironment(childEnvironment());
    traced.start(
        "strace", {"-f", "-y", "-e", "trace=fsync,fdatasync", "-o", home.filePath("trace"), VELMORA_RUN_PATH, "Docs"});
    ASSERT_TRUE(traced.waitForFinished(120000));
    EXPECT_EQ(traced.exitCode(), 0);
    const QStringList updates = QDir(disk).entryList({"docs_upd_*.7z"}, QDir::Files);
    ASSERT_EQ(updates.size(), 1);
    const QByteArray trace = readFile(home.filePath("trace"));
    EXPECT_TRUE(trace.contains("<" + QFile::encodeName(disk + "/." + updates.first()) + ".velmora-"));
    EXPECT_TRUE(trace.contains("<" + QFile::encodeName(disk) + ">"));
}

} // namespace
