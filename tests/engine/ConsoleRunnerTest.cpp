#include "ConsoleRunner.h"
#include "EngineTestSupport.h"
#include "LastRun.h"
#include "TempHome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace {

Command script(const TempHome& home, const QByteArray& body, const QStringList& arguments = {})
{
    static int count = 0;
    const QString path = home.filePath(QString("tool%1").arg(++count));
    writeScript(path, body);
    return {path, arguments, {}, {}};
}

// The run's texts hold each stream's first and last part; the left-out count makes them add up to the whole.
// A cut inside a line puts the cut line on a line of its own.
void expectCutText(const QString& text, qint64 totalBytes, const QString& file, bool cutInsideLine = false)
{
    static const QRegularExpression cutLine(QStringLiteral("^\\[(\\d+) bytes left out here\\. The whole output is in "
                                                           "'([^']+)'\\.\\]$"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = cutLine.match(text);
    ASSERT_TRUE(match.hasMatch()) << text.left(200).toStdString();
    EXPECT_EQ(match.captured(2), file);
    EXPECT_LE(text.toUtf8().size(), kRunTextHeadBytes + kRunTextTailBytes + 200);
    const qsizetype keptBytes = text.toUtf8().size() - match.captured(0).toUtf8().size() - 1 - (cutInsideLine ? 1 : 0);
    EXPECT_EQ(keptBytes + match.captured(1).toLongLong(), totalBytes);
    EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
}

} // namespace

TEST(ConsoleRunner, RunsTheProgramDirectlyInItsFolderWithInputClosed)
{
    TempHome home;
    QDir().mkpath(home.filePath("work here"));
    const QString before = QDir::currentPath();
    Command command = script(home, "pwd; printf '%s|' \"$@\"; read answer; echo \"[$answer]\" >&2; exit 3\n",
        {"/media/My Disk", "say \"hi\"", "$HOME", "*", "Привет", ""});
    command.workingFolder = home.filePath("work here");
    const RunResult run = ExecuteCommand(command);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.output, home.filePath("work here") + "\n/media/My Disk|say \"hi\"|$HOME|*|Привет||");
    EXPECT_EQ(run.secondOutput, "[]\n");
    EXPECT_EQ(QDir::currentPath(), before);
}

TEST(ConsoleRunner, KeepsAFiftyMegabyteOutputWholeOnlyInTheFileWhileTheObserverSeesEveryLine)
{
    TempHome home;
    constexpr int lines = 6'000'000;
    constexpr int errorSize = 50 * 1024 * 1024;
    // Both streams fill at once: a runner that drains one before the other would leave the tool blocked.
    // Standard error is one line without end, in two-byte letters, so no cut can fall at a line end.
    const Command command = script(home, "(yes Я | head -n $2 | tr -d '\\n' >&2) & seq 1 $1; wait\n",
        {QString::number(lines), QString::number(errorSize / 2)});
    qint64 expectedLine = 1;
    bool inOrder = true;
    qint64 errorChars = 0;
    qsizetype longestPiece = 0;
    bool onlyYa = true;
    const RunLineObserver observer = [&](QStringView line, bool secondStream) {
        if (secondStream) {
            errorChars += line.size();
            longestPiece = std::max(longestPiece, line.size());
            onlyYa = onlyYa && line.count(u'Я') == line.size();
        } else {
            inOrder = inOrder && line.toLongLong() == expectedLine++;
        }
    };
    RunResult run;
    std::thread worker([&] { run = ExecuteCommand(command, observer); });
    worker.join();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(expectedLine, lines + 1);
    EXPECT_EQ(errorChars, errorSize / 2);
    EXPECT_LE(longestPiece, kRunLinePieceChars);
    EXPECT_TRUE(onlyYa);

    const QByteArray whole = readFile(LastRunOutputPath(false));
    QProcess seq;
    seq.start("seq", {"1", QString::number(lines)});
    seq.waitForFinished(-1);
    EXPECT_TRUE(whole == seq.readAllStandardOutput());
    EXPECT_TRUE(run.output.startsWith("1\n2\n3\n"));
    EXPECT_TRUE(run.output.endsWith("\n5999999\n6000000\n"));
    expectCutText(run.output, whole.size(), LastRunOutputPath(false));

    const QByteArray wholeErrors = readFile(LastRunOutputPath(true));
    EXPECT_EQ(wholeErrors.size(), errorSize);
    EXPECT_EQ(wholeErrors.count("Я"), errorSize / 2);
    expectCutText(run.secondOutput, errorSize, LastRunOutputPath(true), true);
    EXPECT_EQ(std::filesystem::status(LastRunOutputPath(false).toStdString()).permissions(),
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(ConsoleRunner, EachToolOfARunAddsToTheFilesAndANewRunStartsThemAfresh)
{
    TempHome home;
    ClearLastRunTexts();
    ExecuteCommand(script(home, "echo one; echo first error >&2\n"));
    ExecuteCommand(script(home, "printf two\n"));
    EXPECT_EQ(readFile(LastRunOutputPath(false)), "one\ntwo");
    EXPECT_EQ(readFile(LastRunOutputPath(true)), "first error\n");
    ClearLastRunTexts();
    const RunResult run = ExecuteCommand(script(home, "echo three\n"));
    EXPECT_EQ(run.output, "three\n");
    EXPECT_EQ(readFile(LastRunOutputPath(false)), "three\n");
    EXPECT_EQ(readFile(LastRunOutputPath(true)), "");
}

TEST(ConsoleRunner, AFileThatCannotBeWrittenLosesOnlyTheFile)
{
    TempHome home;
    // A file where the folder should be: nothing can be created below it, also not by root.
    writeFile(home.filePath(".cache/Quorvane"), "in the way");
    const RunResult run = ExecuteCommand(script(home, "seq 1 1000000; echo done >&2; exit 4\n"));
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.secondOutput, "done\n");
    EXPECT_TRUE(run.output.endsWith("\n1000000\n"));
    EXPECT_TRUE(run.output.contains(
        QStringLiteral("The whole output could not be kept in '%1'").arg(LastRunOutputPath(false))));
}

TEST(ConsoleRunner, AStreamClosedEarlyStillLetsTheOtherOneThrough)
{
    TempHome home;
    QStringList lines;
    const RunResult run
        = ExecuteCommand(script(home, "echo out; exec 1>&-; sleep 0.2; echo late >&2; exec 2>&-; sleep 0.2; exit 2\n"),
            [&](QStringView line, bool secondStream) { lines.append((secondStream ? "2:" : "1:") + line.toString()); });
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output, "out\n");
    EXPECT_EQ(run.secondOutput, "late\n");
    EXPECT_EQ(lines, QStringList({"1:out", "2:late"}));
}

TEST(ConsoleRunner, ProgramsThatCannotStartOrAreKilledGiveAnErrorText)
{
    TempHome home;
    writeFile(home.filePath("plain"), "echo hi\n");
    for (const Command& command : {Command {home.filePath("none/7zz"), {}, {}, {}},
             Command {home.filePath("plain"), {}, {}, {}}, script(home, "echo before; kill -KILL $$\n")}) {
        const RunResult run = ExecuteCommand(command);
        EXPECT_NE(run.error, "") << command.program.toStdString();
        EXPECT_EQ(run.exitCode, -1);
    }
    EXPECT_TRUE(ExecuteCommand({home.filePath("none/7zz"), {}, {}, {}}).error.contains(home.filePath("none/7zz")));
    const RunResult killed = ExecuteCommand(script(home, "kill -KILL $$\n"));
    EXPECT_TRUE(killed.error.contains("9"));
    EXPECT_EQ(killed.exitSignal, 9);
    EXPECT_EQ(ExecuteCommand(script(home, "kill -TERM $$\n")).exitSignal, 15);
    // A shell reports its child's signal as an exit code; the tool itself was not ended by a signal.
    const RunResult exited = ExecuteCommand(script(home, "sh -c 'kill -TERM $$'\n"));
    EXPECT_EQ(exited.exitSignal, 0);
    EXPECT_EQ(exited.exitCode, 143);
}

TEST(ConsoleRunner, AStopEndsTheProgramAndKillsOneThatIgnoresIt)
{
    TempHome home;
    // One that ends on SIGTERM, and one that ignores it (an ignored signal stays ignored across exec).
    const QString ready = home.filePath("ready");
    const QByteArray readyLine = "touch '" + ready.toUtf8() + "'\n";
    for (const QByteArray& body : {"echo started\n" + readyLine + "exec sleep 30\n",
             "trap '' TERM\necho started\n" + readyLine + "exec sleep 30\n"}) {
        QFile::remove(ready);
        RunControl control;
        QElapsedTimer sinceStop;
        std::atomic<bool> ended = false;
        // Stopped once the script has said it started (and set its trap), however slow the machine is.
        std::thread stopper([&] {
            while (!QFileInfo::exists(ready) && !ended)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            sinceStop.start();
            control.requestStop();
        });
        const RunResult run = ExecuteCommand(script(home, body), {}, &control);
        ended = true;
        stopper.join();
        EXPECT_TRUE(run.stopped);
        EXPECT_EQ(run.exitSignal, body.contains("trap") ? 9 : 15);
        EXPECT_LT(sinceStop.elapsed(), kStopGraceMs + 2000);
        EXPECT_TRUE(run.output.contains("started"));
    }
    // A deadline in the past ends the run at once; without a control a run is never stopped.
    RunControl expired;
    expired.setDeadline(QDeadlineTimer(0));
    EXPECT_EQ(expired.stopReason(), RunControl::Reason::TimeLimit);
    EXPECT_TRUE(ExecuteCommand(script(home, "exec sleep 30\n"), {}, &expired).stopped);
    EXPECT_FALSE(ExecuteCommand(script(home, "exit 0\n")).stopped);
}

TEST(ConsoleRunnerTest, AToolReadsTheGivenInputThenEndOfFileAndAUtf8CharacterSet)
{
    TempHome home;
    // What the tool reads to the end, then its character set: both in one line apiece.
    Command command = script(home, "#!/bin/sh\ncat\necho \"[${LC_ALL}|${LC_CTYPE}]\"\n");
    command.standardInput = QByteArray("пароль с пробелом\n").repeated(2);
    qputenv("LC_ALL", "C");
    RunResult run = ExecuteCommand(command);
    qunsetenv("LC_ALL");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "пароль с пробелом\nпароль с пробелом\n[C.UTF-8|]\n");
    // The input never shows in the line the user sees; without it the tool reads end of file at once.
    EXPECT_FALSE(command.text.contains("пароль"));
    command.standardInput.clear();
    qputenv("LC_ALL", "ru_RU.UTF-8");
    run = ExecuteCommand(command);
    qunsetenv("LC_ALL");
    EXPECT_EQ(run.output, "[ru_RU.UTF-8|]\n");
}
