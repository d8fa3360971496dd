// Start-up and close cost that grows with the number of sets or with their size: loading and saving many set
// files, loading one set file of 50 MB, which is read once, not once per key, velmora-run --list against cat of
// the same files, and the save at the window's close when nothing changed.

#include "BenchmarkSupport.h"
#include "ProfileStore.h"
#include "SetCollection.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <functional>

namespace {

// A set file as one written before the result, schedule, encryption and history keys existed.
QByteArray olderSetFile(int i)
{
    return QStringLiteral("[Velmora Project file]\nnID=%1\nname=Set %1\narcname=set%1\nsource=/home/user/data/%1\n"
                          "target=/media/backup\nexTypeList=*.bak;*.tmp\nexPathList=cache/;/home/user/data/%1/tmp/\n"
                          "ArcType=0\nCompLevel=3\nSolid=1\nBackupType=1\nlastrun=2026-12-01\n")
        .arg(i)
        .toUtf8();
}

// A set file as a save writes it today: every key.
QByteArray savedSetFile(const ProfileStore& store, int i)
{
    BackupSet set;
    set.id = quint32(i + 1);
    set.name = QStringLiteral("Set %1").arg(i);
    set.arcName = QStringLiteral("set%1").arg(i);
    set.source = QStringLiteral("/home/user/data/%1").arg(i);
    set.target = QStringLiteral("/media/backup");
    set.exTypeList = {QStringLiteral("*.bak"), QStringLiteral("*.tmp")};
    set.exPathList = {QStringLiteral("cache/"), QStringLiteral("/home/user/data/%1/tmp/").arg(i)};
    set.backupType = i % 3;
    set.lastRun = QStringLiteral("2026-12-01");
    set.lastResult = QStringLiteral("done");
    set.lastResultTime = QStringLiteral("2026-12-01T20:00:00");
    return IniDocument::withSection(store.sectionName(), BackupSetFileValues(set)).toBytes();
}

void writeSetFiles(const QString& folder, int count, const std::function<QByteArray(int)>& body)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile file(QStringLiteral("%1/Set %2.ini").arg(folder).arg(i));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(body(i));
    }
}

void writeSetFiles(const QString& folder, int count)
{
    writeSetFiles(folder, count, olderSetFile);
}

// Runs the program to its end with its output going into a file, as `PROGRAM > FILE` would; the size it wrote.
qint64 outputSizeOf(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
    const QString& workingFolder, const QString& outputFile)
{
    return RunToEnd(program, arguments, workingFolder, outputFile, environment) ? QFileInfo(outputFile).size() : -1;
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

// The window's first close after start-up with nothing changed, over set files written before the newer keys
// existed: what the close saves (the sets and the settings), timed from a fresh load each time.
void FirstCloseWithNothingChanged(benchmark::State& state)
{
    QTemporaryDir dir;
    ProfileStore store(QStringLiteral("Velmora"), dir.filePath("config"), dir.filePath("docs"));
    g_profileStore = &store;
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        writeSetFiles(store.setFolder(), count);
        LoadSettings();
        LoadAllBackupSets();
        state.ResumeTiming();
        SaveSetsAndSettings();
    }
    g_profileStore = nullptr;
}
BENCHMARK(FirstCloseWithNothingChanged)->Arg(1000)->Arg(10000)->Iterations(2)->Unit(benchmark::kMillisecond);

// velmora-run --list against cat of the same set files, taking turns so the file cache and the machine's load
// treat both alike. Both write into a file.
void ListOverCat(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString home = dir.path();
    ProfileStore store(
        QStringLiteral("Velmora"), home + QStringLiteral("/.config"), home + QStringLiteral("/Documents"));
    const int count = int(state.range(0));
    writeSetFiles(store.setFolder(), count, [&store](int i) { return savedSetFile(store, i); });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/.local/state"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    QStringList fileNames;
    for (int i = 0; i < count; ++i)
        fileNames.append(QStringLiteral("Set %1.ini").arg(i));

    // VELMORA_RUN_UNDER_TEST times another build of velmora-run (an earlier one, to compare) on the same data.
    const QString velmoraRun = qEnvironmentVariableIsEmpty("VELMORA_RUN_UNDER_TEST")
        ? QStringLiteral(VELMORA_RUN_PATH)
        : qEnvironmentVariable("VELMORA_RUN_UNDER_TEST");
    const QString output = home + QStringLiteral("/output");
    double listSeconds = 0;
    double catSeconds = 0;
    for (auto _ : state) {
        qint64 listed = 0;
        const double listTime = SecondsOf(
            [&] { listed = outputSizeOf(velmoraRun, {QStringLiteral("--list")}, environment, home, output); });
        if (listed <= 0) {
            state.SkipWithError("velmora-run --list failed");
            return;
        }
        listSeconds += listTime;
        catSeconds += SecondsOf(
            [&] { outputSizeOf(QStringLiteral("cat"), fileNames, environment, store.setFolder(), output); });
        state.SetIterationTime(listTime);
    }
    state.counters["list_s"] = listSeconds / double(state.iterations());
    state.counters["cat_s"] = catSeconds / double(state.iterations());
    state.counters["ratio"] = listSeconds / catSeconds;
}
BENCHMARK(ListOverCat)->Arg(1000)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    return RunBenchmarks(argc, argv);
}
