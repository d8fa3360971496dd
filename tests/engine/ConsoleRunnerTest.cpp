#include "ConsoleRunner.h"
#include "EngineTestSupport.h"
#include "TempHome.h"

#include <QDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

Command script(const TempHome& home, const QByteArray& body, const QStringList& arguments = {})
{
    static int count = 0;
    const QString path = home.filePath(QString("tool%1").arg(++count));
    writeScript(path, body);
    return {path, arguments, {}, {}};
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

TEST(ConsoleRunner, CapturesFiftyMegabytesOnEachStreamFromAWorkerThread)
{
    TempHome home;
    constexpr int size = 50 * 1024 * 1024;
    // Both streams fill at once: a runner that drains one before the other would leave the tool blocked.
    const Command command = script(home,
        "(head -c $1 /dev/zero | tr '\\0' e >&2) & head -c $1 /dev/zero | tr '\\0' o; wait\n", {QString::number(size)});
    RunResult run;
    std::thread worker([&] { run = ExecuteCommand(command); });
    worker.join();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output.count('o'), size);
    EXPECT_EQ(run.secondOutput.count('e'), size);
    EXPECT_EQ(run.output.size() + run.secondOutput.size(), 2 * size);
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
    EXPECT_TRUE(ExecuteCommand(script(home, "kill -KILL $$\n")).error.contains("9"));
}
