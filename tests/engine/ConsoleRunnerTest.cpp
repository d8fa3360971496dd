#include "ConsoleRunner.h"
#include "EngineTestSupport.h"
#include "TempHome.h"

#include <QDir>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <thread>

namespace {

class ConsoleRunnerTest : public ::testing::Test
{
protected:
    Command script(const QByteArray& body, const QStringList& arguments = {})
    {
        const QString path = home.filePath(QStringLiteral("tool%1.sh").arg(++m_scripts));
        WriteScript(path, body);
        return {path, arguments, {}, {}};
    }

    TempHome home;

private:
    int m_scripts = 0;
};

} // namespace

TEST_F(ConsoleRunnerTest, ArgumentsReachTheProgramWholeWithoutAShell)
{
    const QStringList arguments {"/media/My Disk", "say \"hi\"", "$HOME", "*", "Привет", ""};
    const RunResult run = ExecuteCommand(script("printf '%s|' \"$@\"; echo err >&2; exit 3\n", arguments));
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.output, "/media/My Disk|say \"hi\"|$HOME|*|Привет||");
    EXPECT_EQ(run.secondOutput, "err\n");
}

TEST_F(ConsoleRunnerTest, WorkingFolderIsTheChildsOnly)
{
    const QString folder = home.filePath("work here");
    QDir().mkpath(folder);
    const QString before = QDir::currentPath();
    Command command = script("pwd\n");
    command.workingFolder = folder;
    const RunResult run = ExecuteCommand(command);
    EXPECT_EQ(run.output, folder + "\n");
    EXPECT_EQ(QDir::currentPath(), before);

    command.workingFolder = home.filePath("gone");
    const RunResult missing = ExecuteCommand(command);
    EXPECT_NE(missing.error, "");
    EXPECT_EQ(missing.exitCode, -1);
}

TEST_F(ConsoleRunnerTest, AToolAskingAQuestionReadsEndOfInputInsteadOfWaiting)
{
    const RunResult run = ExecuteCommand(script("printf 'Overwrite? '; read answer; echo \"[$answer]\"; cat\n"));
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.output, "Overwrite? []\n");
}

TEST_F(ConsoleRunnerTest, FiftyMegabytesOnEachStreamAreCapturedWhole)
{
    constexpr int size = 50 * 1024 * 1024;
    // Both streams are written at once, so a runner that drains one before the other would block the tool.
    const RunResult run
        = ExecuteCommand(script("(head -c $1 /dev/zero | tr '\\0' e >&2) & head -c $1 /dev/zero | tr '\\0' o; wait\n",
            {QString::number(size)}));
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.output.size(), size);
    ASSERT_EQ(run.secondOutput.size(), size);
    EXPECT_EQ(run.output.count(QLatin1Char('o')), size);
    EXPECT_EQ(run.secondOutput.count(QLatin1Char('e')), size);
}

TEST_F(ConsoleRunnerTest, ProgramThatCannotStartGivesAnErrorText)
{
    const RunResult missing = ExecuteCommand({home.filePath("none/7zz"), {"a"}, {}, {}});
    EXPECT_TRUE(missing.error.contains(home.filePath("none/7zz"))) << missing.error.toStdString();
    EXPECT_EQ(missing.exitCode, -1);

    writeFile(home.filePath("plain"), "echo hi\n");
    const RunResult plain = ExecuteCommand({home.filePath("plain"), {}, {}, {}});
    EXPECT_NE(plain.error, "");
    EXPECT_EQ(plain.output, "");

    EXPECT_NE(ExecuteCommand({}).error, "");
}

TEST_F(ConsoleRunnerTest, ToolEndedBySignalIsAnErrorNotAnExitCode)
{
    const RunResult run = ExecuteCommand(script("echo before; kill -KILL $$\n"));
    EXPECT_TRUE(run.error.contains("9")) << run.error.toStdString();
    EXPECT_EQ(run.exitCode, -1);
    EXPECT_EQ(run.output, "before\n");
}

TEST_F(ConsoleRunnerTest, RunsInAWorkerThreadWithoutAnEventLoop)
{
    const Command command = script("sleep 0.2; echo done\n");
    RunResult run;
    QElapsedTimer timer;
    timer.start();
    std::thread worker([&] { run = ExecuteCommand(command); });
    worker.join();
    EXPECT_EQ(run.output, "done\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_GE(timer.elapsed(), 200);
}
