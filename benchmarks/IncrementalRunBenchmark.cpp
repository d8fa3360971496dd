// An incremental run with a few changed files, through the job runner as the window and velmora-run make it,
// against the commands a person would type for the same update: 7-Zip's update into an update archive, sync,
// and a test of that update archive. The two take turns on the same source and the same full archive, at two
// sizes of source, so that what grows with the full archive rather than with the change shows.

#include "ArchiveCommand.h"
#include "BenchmarkSupport.h"
#include "JobRunner.h"
#include "ProfileStore.h"
#include "SetCollection.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

QString destination()
{
    static const QString folder = [] {
        const QString path = ScratchPath(QStringLiteral("destination"));
        QDir().mkpath(path);
        return path;
    }();
    return folder;
}

const QList<QByteArray>& words()
{
    static const QList<QByteArray> list = {"backup ", "archive ", "folder ", "the ", "of ", "a ", "document ",
        "picture\n", "2026-12-07 ", "velmora ", "settings ", "and ", "music ", "report\n", "invoice ", "letter "};
    return list;
}

// Text of about the size, which 7-Zip compresses as it would documents.
QByteArray textOf(QRandomGenerator& generator, int bytes)
{
    QByteArray text;
    text.reserve(bytes + 16);
    while (text.size() < bytes)
        text += words().at(int(generator.bounded(quint32(words().size()))));
    return text;
}

// A source of the files in folders of 200, each of 1 to 8 KiB of text.
QString makeSource(int files)
{
    const QString source = ScratchPath(QStringLiteral("source%1").arg(files));
    if (QDir(source).exists())
        return source;
    QRandomGenerator generator {quint32(files)};
    for (int file = 0; file < files; ++file) {
        const QString folder = QStringLiteral("%1/d%2").arg(source).arg(file / 200);
        if (file % 200 == 0)
            QDir().mkpath(folder);
        QFile out(QStringLiteral("%1/file%2.txt").arg(folder).arg(file));
        out.open(QIODevice::WriteOnly);
        out.write(textOf(generator, 1024 + int(generator.bounded(7 * 1024))));
    }
    return source;
}

// Rewrites a few files, as a day's work on documents would.
void changeFiles(const QString& source, int round)
{
    QRandomGenerator generator {quint32(round)};
    for (int file = 0; file < 5; ++file) {
        QFile out(QStringLiteral("%1/d0/file%2.txt").arg(source).arg(file));
        out.open(QIODevice::WriteOnly);
        out.write(textOf(generator, 4096));
    }
}

void removeUpdateArchives(const QString& arcName)
{
    QDir folder(destination());
    for (const QString& name : folder.entryList({arcName + QStringLiteral("_upd_*")}, QDir::Files))
        folder.remove(name);
}

// range(0): how many files the source has; range(1): the days a good test of the full archive holds, where 0 tests
// it before every update run, as every run did before the test was kept.
void IncrementalRunOverByHand(benchmark::State& state)
{
    const int files = int(state.range(0));
    MutableSettings().fullArchiveRetestDays = int(state.range(1));
    const QString source = makeSource(files);
    g_profileStore = &ScratchStore();
    backupSets.clear();
    // Every timed run extends the one chain made below.
    MutableSettings().chainLength = 100000;
    BackupSet set;
    set.name = QStringLiteral("Bench%1_%2").arg(files).arg(Settings().fullArchiveRetestDays);
    set.arcName = QStringLiteral("bench%1_%2").arg(files).arg(Settings().fullArchiveRetestDays);
    set.source = source;
    set.target = destination();
    set.backupType = IncrementalArchiving;
    // Nothing is thinned, so each run costs the same.
    SetRetentionPolicy(set, {0, 0, 0, 0, 0, 0});
    const quint32 id = AddBackupSet(set);
    SaveBackupSet(id);
    JobRunner runner;
    const JobResult first = runner.runSet(id);
    if (!first.succeeded()) {
        state.SkipWithError(first.reason.toUtf8().constData());
        return;
    }
    BackupSet stored;
    GetBackupSet(id, stored);
    state.counters["full_MiB"] = double(QFile(FullArchivePath(stored)).size()) / (1 << 20);

    double jobSeconds = 0;
    double handSeconds = 0;
    int round = 0;
    for (auto _ : state) {
        changeFiles(source, ++round);
        const double jobTime = SecondsOf([&] {
            const JobResult result = runner.runSet(id);
            if (!result.succeeded())
                state.SkipWithError(result.reason.toUtf8().constData());
        });
        jobSeconds += jobTime;
        removeUpdateArchives(set.arcName);

        // The same update by hand: the command the job builds, then sync, then the test of what it wrote.
        GetBackupSet(id, stored);
        const ArchiveBuild build = BuildArchiveCommand(stored);
        const QString written = build.updateWritePath;
        handSeconds += SecondsOf([&] {
            RunToEnd(build.command.program, build.command.arguments, build.command.workingFolder);
            RunToEnd(QStringLiteral("sync"), {});
            RunToEnd(build.command.program, {QStringLiteral("t"), written});
        });
        QFile::remove(written);
        removeUpdateArchives(set.arcName);
        state.SetIterationTime(jobTime);
    }
    state.counters["job_s"] = jobSeconds / double(state.iterations());
    state.counters["by_hand_s"] = handSeconds / double(state.iterations());
    state.counters["ratio"] = jobSeconds / handSeconds;
}
BENCHMARK(IncrementalRunOverByHand)
    ->ArgsProduct({{5000, 20000}, {0, 30}})
    ->ArgNames({"files", "test_days"})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    KeepTemporaryFilesInScratch();
    // The runner keeps every tool's output in the cache folder and the sets' logs in the state folder.
    UseScratchUserFolders();
    return RunBenchmarks(argc, argv);
}
