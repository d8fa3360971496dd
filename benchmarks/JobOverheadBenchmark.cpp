// A job's cost over running the same tool by hand on the same files, and the runner's capture speed.

#include "ArchiveCommand.h"
#include "ArchivePath.h"
#include "BenchmarkSupport.h"
#include "ConsoleRunner.h"
#include "JobContext.h"
#include "JobRunner.h"
#include "Jobs.h"
#include "LastRun.h"
#include "MirrorCommand.h"
#include "ProfileStore.h"
#include "SetCollection.h"
#include "Settings.h"
#include "ToolLocations.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Workspace
{
    QString source = ScratchPath(QStringLiteral("source"));
    QString destination = ScratchPath(QStringLiteral("destination"));

    Workspace()
    {
        QDir().mkpath(destination);
        // 200 files of 1 MB in 10 folders: data that does not compress, as photos and archives do not.
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (int folder = 0; folder < 10; ++folder) {
            QDir().mkpath(QStringLiteral("%1/f%2").arg(source).arg(folder));
            for (int file = 0; file < 20; ++file) {
                QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
                QFile out(QStringLiteral("%1/f%2/file%3.bin").arg(source).arg(folder).arg(file));
                out.open(QIODevice::WriteOnly);
                out.write(block);
            }
        }
    }
};

Workspace& workspace()
{
    static Workspace space;
    return space;
}

quint32 addSet(qint32 backupType)
{
    g_profileStore = &ScratchStore();
    backupSets.clear();
    MutableSettings().chainLength = 10;
    MutableSettings().rsyncPath = QStringLiteral("/usr/bin/rsync");
    BackupSet set;
    set.name = QStringLiteral("Bench");
    set.arcName = QStringLiteral("bench");
    set.source = workspace().source;
    set.target = workspace().destination;
    set.compLevel = 0;
    set.backupType = backupType;
    return AddBackupSet(set);
}

// Each subject's mean time and their ratio.
void reportAgainst(
    benchmark::State& state, const char* subject, double subjectSeconds, const char* baseline, double baselineSeconds)
{
    state.counters[subject] = subjectSeconds / double(state.iterations());
    state.counters[baseline] = baselineSeconds / double(state.iterations());
    state.counters["ratio"] = subjectSeconds / baselineSeconds;
}

void runByHand(const Command& command)
{
    // 7-Zip reads "*" in the folder it runs in, which the command names: elsewhere it would archive other files.
    RunToEnd(command.program, command.arguments, command.workingFolder);
}

// The job against its tool run by hand, each after clear() took away what the other wrote.
void jobAgainstTool(benchmark::State& state, const std::function<void()>& job, const Command& command,
    const std::function<void()>& clear)
{
    double jobSeconds = 0;
    double toolSeconds = 0;
    for (auto _ : state) {
        clear();
        const double jobTime = SecondsOf(job);
        jobSeconds += jobTime;
        clear();
        toolSeconds += SecondsOf([&] { runByHand(command); });
        state.SetIterationTime(jobTime);
    }
    reportAgainst(state, "job_s", jobSeconds, "by_hand_s", toolSeconds);
}

// The job also flushes the new archive to disk before it replaces the old one; by hand nothing is flushed.
void ArchiveJobOverTool(benchmark::State& state)
{
    const quint32 id = addSet(FullArchiving);
    BackupSet set;
    GetBackupSet(id, set);
    // The run by hand writes the scratch archive of its own build, which the job's runs never touch; it goes
    // after each run so that every run by hand makes a new archive rather than updating the last one.
    const ArchiveBuild byHand = BuildArchiveCommand(set);
    const QString scratch = byHand.scratchArchivePath;
    jobAgainstTool(
        state, [id] { ArchiveJob(id); }, byHand.command, [scratch] { QFile::remove(scratch); });
}
BENCHMARK(ArchiveJobOverTool)->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();

void MirrorJobOverTool(benchmark::State& state)
{
    const quint32 id = addSet(MirrorCopying);
    BackupSet set;
    GetBackupSet(id, set);
    const QString mirror = MirrorFolder(set);
    jobAgainstTool(
        state, [id] { MirrorJob(id); }, BuildMirrorCommand(set),
        [mirror] {
            QDir(mirror).removeRecursively();
            QDir().mkdir(mirror);
        });
}
BENCHMARK(MirrorJobOverTool)->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();

// What reading the progress costs: the same 7-Zip run of the job, on 200 MB, with its progress read and its
// redraws taken out, and with its output taken as it comes. The two take turns, so the disk's cache and
// the machine's load treat both alike.
void ArchiveRunProgressOverPlain(benchmark::State& state)
{
    const quint32 id = addSet(FullArchiving);
    BackupSet set;
    GetBackupSet(id, set);
    const ArchiveBuild build = BuildArchiveCommand(set);
    const Command withProgress = build.command;
    Command plain = withProgress;
    plain.progress = ProgressFormat::None;
    RunControl control;
    JobContext readingContext;
    readingContext.control = &control;
    qint64 values = 0;
    readingContext.progress = [&values](const JobProgress&) { ++values; };
    JobContext plainContext;
    plainContext.control = &control;
    double readingSeconds = 0;
    double plainSeconds = 0;
    for (auto _ : state) {
        const double readingTime = SecondsOf([&] { RunJobTool(withProgress, readingContext); });
        readingSeconds += readingTime;
        QFile::remove(build.scratchArchivePath);
        plainSeconds += SecondsOf([&] { RunJobTool(plain, plainContext); });
        QFile::remove(build.scratchArchivePath);
        state.SetIterationTime(readingTime);
    }
    reportAgainst(state, "with_progress_s", readingSeconds, "without_s", plainSeconds);
    state.counters["values"] = double(values) / double(state.iterations());
}
BENCHMARK(ArchiveRunProgressOverPlain)->Iterations(5)->Unit(benchmark::kMillisecond)->UseManualTime();

void RunnerCapture(benchmark::State& state)
{
    const qint64 bytes = 50ll << 20;
    Command command;
    command.program = QStringLiteral("/bin/sh");
    command.arguments = {QStringLiteral("-c"),
        QStringLiteral("head -c %1 /dev/zero | tr '\\0' x; head -c %1 /dev/zero | tr '\\0' y >&2").arg(bytes)};
    for (auto _ : state) {
        const RunResult result = ExecuteCommand(command);
        benchmark::DoNotOptimize(result.output.size() + result.secondOutput.size());
    }
    state.SetBytesProcessed(state.iterations() * bytes * 2);
}
BENCHMARK(RunnerCapture)->Iterations(3)->Unit(benchmark::kMillisecond);

// What the runner alone does with a tool's output as velmora-run sets it up, passing it on to a terminal (here
// /dev/null) and keeping only a bounded part, against the tool piped into cat; NoisyRunMemory below measures the
// whole path of a set's run. Also how far this process's peak memory rose.
void RunnerForwardingOverCat(benchmark::State& state)
{
    const QString tool = QStringLiteral("yes 'a line of text that a tool such as rsync would print for each file it "
                                        "copies, 80' | head -c %1")
                             .arg(100ll << 20);
    const Command command {QStringLiteral("/bin/sh"), {QStringLiteral("-c"), tool}, {}, {}};
    QFile terminal(QStringLiteral("/dev/null"));
    terminal.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    RunOutput passedOn;
    passedOn.file = RunOutput::File::None;
    passedOn.listener = [&terminal](const QByteArray& bytes, bool) { terminal.write(bytes); };
    const long peakBefore = PeakKilobytes();
    double runnerSeconds = 0;
    double catSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        ExecuteCommand(command, {}, nullptr, {}, passedOn);
        const double runnerTime = double(timer.nsecsElapsed()) / 1e9;
        runnerSeconds += runnerTime;
        timer.restart();
        QProcess::execute(
            QStringLiteral("/bin/sh"), {QStringLiteral("-c"), tool + QStringLiteral(" | cat >/dev/null")});
        catSeconds += double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(runnerTime);
    }
    state.counters["runner_s"] = runnerSeconds / double(state.iterations());
    state.counters["cat_s"] = catSeconds / double(state.iterations());
    state.counters["ratio"] = runnerSeconds / catSeconds;
    state.counters["peak_rise_MB"] = double(PeakKilobytes() - peakBefore) / 1024;
}
BENCHMARK(RunnerForwardingOverCat)->Iterations(5)->Unit(benchmark::kMillisecond)->UseManualTime();

// A set's run as the window and velmora-run make it (the job runner, the progress read from the output, the kept
// log, and velmora-run's passing of every byte to its own output), with a 7-Zip that first prints range(0) MiB
// of ordinary lines on standard output (range(1) 0) or standard error (1): how far this process's resident
// memory rises over what it held before, and what the kept log holds.
void NoisyRunMemory(benchmark::State& state)
{
    const qint64 mebibytes = state.range(0);
    const bool onErrors = state.range(1) != 0;
    const QString standIn = ScratchPath(QStringLiteral("noisy/7zz"));
    QDir().mkpath(ScratchPath(QStringLiteral("noisy")));
    {
        QFile script(standIn);
        script.open(QIODevice::WriteOnly);
        script.write(
            "#!/bin/sh\nyes 'Compressing  some/ordinary/path/of/a/file/that/7zip/would/name/in/its/listing.txt'"
            " | head -c "
            + QByteArray::number(mebibytes << 20) + (onErrors ? " >&2" : "") + "\nexec /usr/bin/7zz \"$@\"\n");
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    SetSevenZipCandidates({standIn});
    // A small source of its own: the tool's output is what is measured.
    const QString source = ScratchPath(QStringLiteral("noisy/source"));
    QDir().mkpath(source);
    QFile file(source + QStringLiteral("/a.txt"));
    file.open(QIODevice::WriteOnly);
    file.write("alpha");
    file.close();
    const quint32 id = addSet(FullArchiving);
    FindBackupSet(id)->source = source;
    // Written as velmora-run writes its output, straight to the descriptor: a QFile here would add a buffer of
    // its own to what is measured.
    const int terminal = ::open("/dev/null", O_WRONLY);
    JobRunner runner;
    runner.setOutputListener([terminal](const QByteArray& bytes, bool) {
        if (::write(terminal, bytes.constData(), size_t(bytes.size())) < 0)
            return;
    });
    runner.setKeepsLastRunOutput(false);
    qint64 values = 0;
    QObject::connect(
        &runner, &JobRunner::progress, &runner, [&values](const JobProgress&) { ++values; }, Qt::DirectConnection);
    qint64 riseKib = 0;
    qint64 logBytes = 0;
    for (auto _ : state) {
        ResetResidentPeak();
        const qint64 before = StatusKib("VmRSS");
        // On a thread of its own, as the window and velmora-run run a job.
        JobResult result;
        QThread* worker = QThread::create([&] { result = runner.runSet(id); });
        worker->start();
        while (!worker->wait(5))
            QCoreApplication::processEvents();
        delete worker;
        riseKib = std::max(riseKib, StatusKib("VmHWM") - before);
        logBytes = QFileInfo(result.logPath).size();
        if (ResultKindOf(result) != JobResultKind::Done)
            state.SkipWithError(JobResultText(result).toUtf8().constData());
    }
    runner.setOutputListener({});
    ::close(terminal);
    SetSevenZipCandidates({});
    state.SetBytesProcessed(state.iterations() * (mebibytes << 20));
    state.counters["peak_rise_MiB"] = double(riseKib) / 1024;
    state.counters["peak_MiB"] = double(StatusKib("VmHWM")) / 1024;
    state.counters["log_MiB"] = double(logBytes) / (1 << 20);
    state.counters["values"] = double(values) / double(state.iterations());
}
BENCHMARK(NoisyRunMemory)
    ->ArgsProduct({{100, 300}, {0, 1}})
    ->ArgNames({"MiB", "stderr"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    KeepTemporaryFilesInScratch();
    // The runner keeps every tool's output in the cache folder and the sets' kept logs in the state folder.
    UseScratchUserFolders();
    return RunBenchmarks(argc, argv);
}
