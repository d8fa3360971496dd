// What testing each new archive costs: a full archive run of 200 MB of mixed data with the test and without it,
// at the fastest compression level and at the default one.

#include "ArchiveCommand.h"
#include "BenchmarkSupport.h"
#include "Jobs.h"
#include "ProfileStore.h"
#include "SetCollection.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

struct Workspace
{
    QString source = ScratchPath(QStringLiteral("source"));
    QString destination = ScratchPath(QStringLiteral("destination"));

    // 100 files of 1 MB that do not compress (photos, archives) and 100 of text that does, in 10 folders.
    Workspace()
    {
        QDir().mkpath(destination);
        const QList<QByteArray> words = {"backup ", "archive ", "folder ", "the ", "of ", "a ", "document ",
            "picture\n", "2026-12-07 ", "velmora ", "settings ", "and ", "music ", "report\n"};
        QByteArray block(1 << 20, Qt::Uninitialized);
        QRandomGenerator random(15);
        for (int folder = 0; folder < 10; ++folder) {
            QDir().mkpath(QStringLiteral("%1/f%2").arg(source).arg(folder));
            for (int file = 0; file < 20; ++file) {
                if (file % 2 == 0) {
                    random.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
                } else {
                    block.clear();
                    while (block.size() < (1 << 20))
                        block += words.at(int(random.bounded(quint32(words.size()))));
                    block.truncate(1 << 20);
                }
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

quint32 addSet(const QString& name, qint32 compLevel, bool verify)
{
    BackupSet set;
    set.name = name;
    set.arcName = name;
    set.source = workspace().source;
    set.target = workspace().destination;
    set.compLevel = compLevel;
    set.backupType = FullArchiving;
    set.verifyArchive = verify;
    return AddBackupSet(set);
}

double secondsOf(quint32 id, qint64* testMs = nullptr)
{
    return SecondsOf([&] {
        const JobResult result = ArchiveJob(id);
        if (testMs)
            *testMs += result.testMs;
    });
}

// The run with the test against the same run without it, taking turns so that the disk's cache and the
// machine's load treat both alike; each run writes a new archive, as the first run of a set does. test_s is
// the test alone, as the job measured it: on a busy machine the difference of the two runs is noisier.
void RunWithTestOverWithout(benchmark::State& state)
{
    g_profileStore = &ScratchStore();
    backupSets.clear();
    const qint32 level = qint32(state.range(0));
    const quint32 tested = addSet(QStringLiteral("tested"), level, true);
    const quint32 untested = addSet(QStringLiteral("untested"), level, false);
    const QString folder = workspace().destination;
    double testedSeconds = 0;
    double untestedSeconds = 0;
    qint64 testMs = 0;
    bool testedFirst = true;
    for (auto _ : state) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        // Each goes first in turn: the first run of a pair meets a colder cache.
        const double without = testedFirst ? 0 : secondsOf(untested);
        const double withTest = secondsOf(tested, &testMs);
        untestedSeconds += testedFirst ? secondsOf(untested) : without;
        testedSeconds += withTest;
        testedFirst = !testedFirst;
        state.SetIterationTime(withTest);
    }
    const double runs = double(state.iterations());
    state.counters["with_test_s"] = testedSeconds / runs;
    state.counters["without_s"] = untestedSeconds / runs;
    state.counters["test_s"] = double(testMs) / 1000 / runs;
    state.counters["ratio"] = testedSeconds / untestedSeconds;
    BackupSet levelOf;
    levelOf.compLevel = level;
    state.SetLabel("-mx=" + CompLevelSwitch(levelOf).toStdString());
}
// Level 1 is 7-Zip's -mx=1, its fastest that compresses; level 3 is -mx=5, a new set's level.
BENCHMARK(RunWithTestOverWithout)->Arg(1)->Arg(3)->Iterations(2)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    // The runner keeps logs and output below the user's folders: these are a temporary home's.
    UseScratchUserFolders();
    KeepTemporaryFilesInScratch();
    QCoreApplication application(argc, argv);
    return RunBenchmarks(argc, argv);
}
