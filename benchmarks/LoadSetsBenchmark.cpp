// Start-up cost that grows with the number of sets or with their size: loading and saving 1,000 set
// files, and loading one set file of 50 MB, which is read once, not once per key.

#include "ProfileStore.h"
#include "SetCollection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void writeSetFiles(const QString& folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile file(QStringLiteral("%1/Set %2.ini").arg(folder).arg(i));
        file.open(QIODevice::WriteOnly);
        file.write(
            QStringLiteral("[Velmora Project file]\nnID=%1\nname=Set %1\narcname=set%1\nsource=/home/user/data/%1\n"
                           "target=/media/backup\nexTypeList=*.bak;*.tmp\nexPathList=cache/;/home/user/data/%1/tmp/\n"
                           "ArcType=0\nCompLevel=3\nSolid=1\nBackupType=1\nlastrun=2026-12-01\n")
                .arg(i)
                .toUtf8());
    }
}

void LoadThousandSets(benchmark::State& state)
{
    QTemporaryDir dir;
    ProfileStore store(QStringLiteral("Velmora"), dir.filePath("config"), dir.filePath("docs"));
    g_profileStore = &store;
    writeSetFiles(store.setFolder(), int(state.range(0)));
    for (auto _ : state) {
        LoadAllBackupSets();
        benchmark::DoNotOptimize(backupSets.size());
    }
    state.counters["per_set_us"] = benchmark::Counter(double(state.iterations()) * double(state.range(0)) / 1e6,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    g_profileStore = nullptr;
}
BENCHMARK(LoadThousandSets)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void LoadOneLargeSet(benchmark::State& state)
{
    QTemporaryDir dir;
    ProfileStore store(QStringLiteral("Velmora"), dir.filePath("config"), dir.filePath("docs"));
    g_profileStore = &store;
    QDir().mkpath(store.setFolder());
    QFile file(store.setFolder() + QStringLiteral("/Large.ini"));
    file.open(QIODevice::WriteOnly);
    file.write("[Velmora Project file]\nnID=1\nname=Large\nexPathList=");
    file.write(QByteArray(qsizetype(state.range(0)) << 20, 'x'));
    file.write("\nlastrun=2026-12-01\n");
    file.close();
    for (auto _ : state) {
        LoadAllBackupSets();
        benchmark::DoNotOptimize(backupSets.size());
    }
    g_profileStore = nullptr;
}
BENCHMARK(LoadOneLargeSet)->Arg(50)->Unit(benchmark::kMillisecond);

void SaveThousandUnchangedSets(benchmark::State& state)
{
    QTemporaryDir dir;
    ProfileStore store(QStringLiteral("Velmora"), dir.filePath("config"), dir.filePath("docs"));
    g_profileStore = &store;
    writeSetFiles(store.setFolder(), int(state.range(0)));
    LoadAllBackupSets();
    SaveAllBackupSets();
    for (auto _ : state)
        SaveAllBackupSets();
    g_profileStore = nullptr;
}
BENCHMARK(SaveThousandUnchangedSets)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
