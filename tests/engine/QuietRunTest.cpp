#include "ConsoleRunner.h"
#include "EncryptedArchives.h"
#include "EngineTestSupport.h"
#include "LastRun.h"
#include "Offsite.h"
#include "TempHome.h"
#include "ToolTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <cerrno>
#include <signal.h>

namespace {

Command tool(const TempHome& home, const QByteArray& body, const QStringList& arguments = {})
{
    static int count = 0;
    const QString path = home.filePath(QString("quiet%1").arg(++count));
    writeScript(path, body);
    return {path, arguments, {}, {}};
}

} // namespace

TEST(QuietRun, AToolThatPrintsMoreThanTheBoundKeepsOnlyItsStartAndSaysSo)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine: resident memory does not measure the runner";
#endif
    TempHome home;
    // 400 MiB on each stream, far past what a quiet run may keep.
    Command flood = tool(home,
        "yes 'Path = some/file/in/a/listing/that/never/ends.txt' | head -c 419430400\n"
        "yes 'an error line' | head -c 419430400 >&2\nexit 0\n");
    flood.resultPartBytes = qsizetype(1) << 20;
    ASSERT_TRUE(ResetResidentPeak());
    const qint64 before = StatusKib("VmRSS");
    const QuietRun run = RunQuietly(flood);
    const qint64 rise = StatusKib("VmHWM") - before;
    EXPECT_TRUE(run.ran);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.cut);
    EXPECT_EQ(run.output.size(), flood.resultPartBytes);
    EXPECT_TRUE(run.output.startsWith("Path = some/file/in/a/listing/that/never/ends.txt\n"));
    // The error text keeps its start and its end, with the line that says how much is missing between them.
    EXPECT_LT(run.secondOutput.size(), 3 * flood.resultPartBytes);
    EXPECT_TRUE(run.secondOutput.contains(QStringLiteral("bytes left out here.]")))
        << run.secondOutput.left(80).toStdString();
    EXPECT_LT(rise, 64 * 1024) << "KiB";
}

TEST(QuietRun, StopAndTheTimeLimitEndAToolThatHangs)
{
    TempHome home;
    // The script writes its process id once it runs (and has set its trap); exec keeps that id for the sleep.
    const QString pidFile = home.filePath("pid");
    const QByteArray pidLine = "echo $$ > '" + pidFile.toUtf8() + ".part' && mv '" + pidFile.toUtf8() + ".part' '"
        + pidFile.toUtf8() + "'\n";
    const auto toolPid = [&pidFile] { return readFile(pidFile).trimmed().toInt(); };
    // Whether the tool's process is gone, not merely told to go.
    const auto gone = [](int pid) { return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH; };
    // One that ends on SIGTERM, and one that ignores it (an ignored signal stays ignored across exec) and must be
    // killed.
    for (const QByteArray& body : {pidLine + "exec sleep 60\n", "trap '' TERM\n" + pidLine + "exec sleep 60\n"}) {
        SCOPED_TRACE(body.constData());
        QFile::remove(pidFile);
        RunControl control;
        std::atomic<bool> ended = false;
        // Stopped once the tool runs, however slow the machine is.
        std::thread stopper([&] {
            while (!QFileInfo::exists(pidFile) && !ended)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            control.requestStop();
        });
        const QuietRun stopped = RunQuietly(tool(home, body), &control);
        ended = true;
        stopper.join();
        EXPECT_FALSE(stopped.ran);
        EXPECT_TRUE(stopped.stopped);
        EXPECT_FALSE(stopped.timedOut);
        EXPECT_EQ(stopped.error, "the tool was stopped.");
        EXPECT_TRUE(gone(toolPid())) << "the tool still runs";
    }
    QFile::remove(pidFile);
    const QuietRun hung = RunQuietly(tool(home, pidLine + "exec sleep 60\n"), nullptr, std::chrono::milliseconds(400));
    EXPECT_FALSE(hung.ran);
    EXPECT_TRUE(hung.timedOut);
    EXPECT_TRUE(hung.error.startsWith("the tool did not finish within")) << hung.error.toStdString();
    ASSERT_TRUE(QFileInfo::exists(pidFile)) << "the tool never ran";
    EXPECT_TRUE(gone(toolPid())) << "the tool still runs";
}

TEST(QuietRun, TheProgramsEndStopsARunWithoutAControlOfItsOwn)
{
    TempHome home;
    const QString started = home.filePath("started");
    std::atomic<bool> ended = false;
    std::thread stopper([&] {
        while (!QFileInfo::exists(started) && !ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        UncontrolledQuietRuns().requestStop();
    });
    const QuietRun run = RunQuietly(tool(home, "touch '" + started.toUtf8() + "'\nexec sleep 600\n"));
    ended = true;
    stopper.join();
    UncontrolledQuietRuns().reset();
    EXPECT_TRUE(run.stopped);
    EXPECT_FALSE(run.timedOut);
    // Taken back (only a test does), quiet runs go on as before.
    EXPECT_TRUE(RunQuietly(tool(home, "exit 0\n")).ran);
}

TEST(QuietRun, AListingOfARealArchiveComesWholeAndGoesIntoNoFile)
{
    TempHome home;
    const QString source = home.filePath("source");
    makeTree(source, {{"a.txt", "alpha"}, {"deep/b.txt", "beta"}});
    const QString archive = home.filePath("set.7z");
    ASSERT_EQ(QProcess::execute("7zz", {"a", "-bso0", archive, source + "/."}), 0);
    QProcess plain;
    plain.start("7zz", {"l", "-slt", "-ba", "--", archive});
    ASSERT_TRUE(plain.waitForFinished(60000));
    const QByteArray whole = plain.readAllStandardOutput();

    ClearLastRunTexts();
    QFile::remove(LastRunOutputPath(false));
    Command list {"7zz", {"l", "-slt", "-ba", "--", archive}, {}, {}};
    const QuietRun listed = RunQuietly(list);
    EXPECT_TRUE(listed.ran);
    EXPECT_FALSE(listed.cut);
    EXPECT_EQ(listed.output, whole);
    EXPECT_FALSE(QFileInfo::exists(LastRunOutputPath(false)));

    // Bounded below its length, it is only its start, and says so.
    list.resultPartBytes = 100;
    const QuietRun part = RunQuietly(list);
    EXPECT_TRUE(part.cut);
    EXPECT_EQ(part.output, whole.left(100));
}

TEST(RunOutputTarget, EachRunWritesWhereItsCallerSaysAlsoTwoAtOnce)
{
    TempHome home;
    const QString first = home.filePath("first.log");
    const QString second = home.filePath("second.log");
    QByteArray heardFirst;
    QByteArray heardSecond;
    auto outputTo = [](const QString& log, QByteArray& heard) {
        RunOutput output;
        output.file = RunOutput::File::KeptLog;
        output.keptLogPath = log;
        output.listener = [&heard](const QByteArray& bytes, bool) { heard += bytes; };
        return output;
    };
    const Command one = tool(home, "for i in 1 2 3 4 5; do echo one $i; sleep 0.05; done\n");
    const Command two = tool(home, "for i in 1 2 3 4 5; do echo two $i; sleep 0.05; done\n");
    std::thread other([&] { ExecuteCommand(two, {}, nullptr, {}, outputTo(second, heardSecond)); });
    ExecuteCommand(one, {}, nullptr, {}, outputTo(first, heardFirst));
    other.join();
    EXPECT_EQ(readFile(first), "one 1\none 2\none 3\none 4\none 5\n");
    EXPECT_EQ(readFile(second), "two 1\ntwo 2\ntwo 3\ntwo 4\ntwo 5\n");
    EXPECT_EQ(heardFirst, readFile(first));
    EXPECT_EQ(heardSecond, readFile(second));
    // A run given no target writes the last-run file, and nobody else's listener hears it.
    ClearLastRunTexts();
    ExecuteCommand(tool(home, "echo three\n"));
    EXPECT_EQ(readFile(LastRunOutputPath(false)), "three\n");
    EXPECT_EQ(heardFirst, readFile(first));
}

TEST(RunOutputTarget, TheRcloneConfigurationReadForACheckGoesIntoNoLog)
{
    TempHome home;
    // An rclone whose configuration holds a secret, first in PATH.
    QDir().mkpath(home.filePath("bin"));
    writeScript(home.filePath("bin/rclone"),
        "touch \"$HOME/rclone-ran\"\necho '{\"elsewhere\": {\"type\": \"local\", \"token\": "
        "\"SECRET-TOKEN-1234\"}}'\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(home.filePath("bin")) + ":" + path);
    BackupSet set;
    set.name = "Set";
    set.backupType = FullArchiving;
    set.source = home.filePath("source");
    set.target = home.filePath("target");
    set.offsite = "elsewhere:" + home.filePath("remote");
    QDir().mkpath(set.source);
    ClearLastRunTexts();
    QFile::remove(LastRunOutputPath(false));
    OffsiteFolderInSourceProblem(set);
    qputenv("PATH", path);
    ASSERT_TRUE(QFileInfo::exists(home.filePath("rclone-ran")));
    EXPECT_FALSE(readFile(LastRunOutputPath(false)).contains("SECRET-TOKEN"));
    EXPECT_FALSE(GetLastRunTexts().logText.contains("SECRET-TOKEN"));
}
