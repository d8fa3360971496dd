#include "ConsoleRunner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>

namespace {

// How long forwarded output may lag behind the tool.
constexpr int kForwardIntervalMs = 100;

QMutex listenerMutex;
RunOutputListener outputListener;

RunOutputListener currentListener()
{
    QMutexLocker lock(&listenerMutex);
    return outputListener;
}

// Hands over what each stream has gathered since the last call, keeping every byte for the result.
void forwardOutput(QProcess& process, QByteArray& output, QByteArray& secondOutput, const RunOutputListener& listener)
{
    const QByteArray fresh = process.readAllStandardOutput();
    const QByteArray freshSecond = process.readAllStandardError();
    if (!fresh.isEmpty()) {
        output += fresh;
        listener(fresh, false);
    }
    if (!freshSecond.isEmpty()) {
        secondOutput += freshSecond;
        listener(freshSecond, true);
    }
}

QString startFailure(const Command& command, const QProcess& process)
{
    const QFileInfo program(command.program);
    // The job puts these after the tool's name: "7zz could not be run: ...".
    if (command.program.isEmpty())
        return QCoreApplication::translate("ConsoleRunner", "no program was given.");
    if (program.isAbsolute() && !program.exists())
        return QCoreApplication::translate("ConsoleRunner", "%1 does not exist.").arg(command.program);
    if (program.isAbsolute() && (!program.isFile() || !program.isExecutable()))
        return QCoreApplication::translate("ConsoleRunner", "%1 is not an executable program.").arg(command.program);
    if (!command.workingFolder.isEmpty() && !QFileInfo(command.workingFolder).isDir())
        return QCoreApplication::translate("ConsoleRunner", "its working folder %1 does not exist.")
            .arg(command.workingFolder);
    return QCoreApplication::translate("ConsoleRunner", "the system could not start it (%1).")
        .arg(process.errorString());
}

} // namespace

RunResult ExecuteCommand(const Command& command)
{
    RunResult result;
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    if (!command.workingFolder.isEmpty())
        process.setWorkingDirectory(command.workingFolder);
    // A tool that asks a question reads end of file instead of waiting for an answer nobody can give.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        result.error = startFailure(command, process);
        return result;
    }
    // Waiting drains both pipes into the process's buffers as data comes, so the tool never blocks on a
    // full pipe however much it writes.
    if (const RunOutputListener listener = currentListener()) {
        QByteArray output;
        QByteArray secondOutput;
        // waitForFinished is false also for a process that has already ended, hence the state.
        while (process.state() != QProcess::NotRunning && !process.waitForFinished(kForwardIntervalMs))
            forwardOutput(process, output, secondOutput, listener);
        forwardOutput(process, output, secondOutput, listener);
        result.output = QString::fromUtf8(output);
        result.secondOutput = QString::fromUtf8(secondOutput);
    } else {
        process.waitForFinished(-1);
        result.output = QString::fromUtf8(process.readAllStandardOutput());
        result.secondOutput = QString::fromUtf8(process.readAllStandardError());
    }
    if (process.exitStatus() == QProcess::CrashExit) {
        result.exitSignal = process.exitCode();
        result.error
            = QCoreApplication::translate("ConsoleRunner", "it was ended by signal %1.").arg(process.exitCode());
        return result;
    }
    result.exitCode = process.exitCode();
    return result;
}

void SetRunOutputListener(RunOutputListener listener)
{
    QMutexLocker lock(&listenerMutex);
    outputListener = std::move(listener);
}
