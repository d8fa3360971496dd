#include "BenchmarkSupport.h"

#include "ProfileStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

QTemporaryDir& scratchFolder()
{
    static QTemporaryDir dir;
    return dir;
}

void putFolder(const char* variable, const QString& name)
{
    const QString path = ScratchPath(name);
    QDir().mkpath(path);
    qputenv(variable, QFile::encodeName(path));
}

} // namespace

QString ScratchPath(const QString& name)
{
    return scratchFolder().filePath(name);
}

void KeepTemporaryFilesInScratch()
{
    putFolder("TMPDIR", QStringLiteral("tmp"));
}

void UseScratchUserFolders()
{
    putFolder("HOME", QStringLiteral("home"));
    putFolder("XDG_CACHE_HOME", QStringLiteral("home/.cache"));
    putFolder("XDG_STATE_HOME", QStringLiteral("home/.local/state"));
    putFolder("XDG_CONFIG_HOME", QStringLiteral("home/.config"));
    putFolder("XDG_DATA_HOME", QStringLiteral("home/.local/share"));
}

ProfileStore& ScratchStore()
{
    static ProfileStore store(
        QStringLiteral("Velmora"), ScratchPath(QStringLiteral("config")), ScratchPath(QStringLiteral("docs")));
    return store;
}

double SecondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

bool RunToEnd(const QString& program, const QStringList& arguments, const QString& workingFolder,
    const QString& outputFile, const std::optional<QProcessEnvironment>& environment)
{
    QProcess process;
    if (environment)
        process.setProcessEnvironment(*environment);
    process.setWorkingDirectory(workingFolder);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile, QIODevice::Truncate);
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

qint64 StatusKib(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void ResetResidentPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

long PeakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int RunBenchmarks(int& argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
