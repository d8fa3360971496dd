// What a restore costs over the same 7-Zip commands run by hand, and how long listing a large chain takes.

#include "BenchmarkSupport.h"
#include "JobRunner.h"
#include "Jobs.h"
#include "ProfileStore.h"
#include "RestoreJob.h"
#include "RestorePoints.h"
#include "SetCollection.h"
#include "Settings.h"
#include "ToolLocations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <benchmark/benchmark.h>

#include <functional>

namespace {

void writeRandom(const QString& path, qsizetype bytes)
{
    QByteArray block(bytes, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
    QFile out(path);
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    out.write(block);
}

// The update archive's name carries the time to the second: the next run must come in another second.
void waitForNextSecond()
{
    QThread::msleep(1050);
}

struct Chain
{
    BackupSet set;
    // Newest first.
    QList<RestorePoint> points;
};

// An incremental set over `source` backed up twice, with change() between the runs: a full archive and one
// update archive.
Chain chainOf(const QString& name, const QString& source, const std::function<void()>& change)
{
    g_profileStore = &ScratchStore();
    backupSets.clear();
    MutableSettings().chainLength = 10;
    BackupSet set;
    set.name = name;
    set.arcName = name.toLower();
    set.source = source;
    set.target = ScratchPath(name + QStringLiteral(" archives"));
    QDir().mkpath(set.target);
    set.compLevel = 0;
    set.backupType = IncrementalArchiving;
    const quint32 id = AddBackupSet(set);
    RunSetJob(id);
    waitForNextSecond();
    change();
    RunSetJob(id);
    GetBackupSet(id, set);
    return {set, RestorePointsOf(set)};
}

// 200 files of 1 MB in 10 folders that do not compress, as photos do not; the update archive changes 20 MB
// of them in two folders.
const Chain& largeChain()
{
    static const Chain chain = [] {
        const QString source = ScratchPath(QStringLiteral("large source"));
        for (int folder = 0; folder < 10; ++folder) {
            QDir().mkpath(QStringLiteral("%1/f%2").arg(source).arg(folder));
            for (int file = 0; file < 20; ++file)
                writeRandom(QStringLiteral("%1/f%2/file%3.bin").arg(source).arg(folder).arg(file), 1 << 20);
        }
        return chainOf(QStringLiteral("Large"), source, [source] {
            for (int file = 0; file < 20; ++file)
                writeRandom(QStringLiteral("%1/f%2/file%3.bin").arg(source).arg(file % 2).arg(file), 1 << 20);
        });
    }();
    return chain;
}

void extractByHand(const QString& archive, const QString& target)
{
    QProcess process;
    process.start(Settings().sevenZipPath.value(),
        {QStringLiteral("x"), QStringLiteral("-aoa"), QStringLiteral("-o") + target, archive});
    process.waitForFinished(-1);
}

// The restore job against the full archive and the update archive extracted by hand into the same place.
// The two take turns, so that the disk's cache and the machine's load treat both alike.
void RestoreJobOverTool(benchmark::State& state)
{
    const QList<RestorePoint>& points = largeChain().points;
    if (points.size() != 2) {
        state.SkipWithError("the chain was not made");
        return;
    }
    const QString target = ScratchPath(QStringLiteral("restored"));
    const auto clear = [&target] { QDir(target).removeRecursively(); };
    double jobSeconds = 0;
    double handSeconds = 0;
    for (auto _ : state) {
        clear();
        JobRunner runner;
        JobResult result;
        const double jobTime = SecondsOf([&] { result = runner.runRestore({points, 0, target, {}}); });
        if (!result.succeeded()) {
            state.SkipWithError("the restore failed");
            return;
        }
        jobSeconds += jobTime;
        clear();
        handSeconds += SecondsOf([&] {
            extractByHand(points.last().path, target);
            extractByHand(points.first().path, target);
        });
        state.SetIterationTime(jobTime);
    }
    clear();
    state.counters["job_s"] = jobSeconds / double(state.iterations());
    state.counters["by_hand_s"] = handSeconds / double(state.iterations());
    state.counters["ratio"] = jobSeconds / handSeconds;
}
BENCHMARK(RestoreJobOverTool)->Iterations(5)->Unit(benchmark::kMillisecond)->UseManualTime();

// 100,000 small files in 1,000 folders, and an update archive that changes 1,000 and deletes 1,000.
const Chain& manyFilesChain()
{
    static const Chain chain = [] {
        const QString source = ScratchPath(QStringLiteral("many source"));
        for (int folder = 0; folder < 1000; ++folder) {
            const QString path = QStringLiteral("%1/folder %2").arg(source).arg(folder);
            QDir().mkpath(path);
            for (int file = 0; file < 100; ++file) {
                QFile out(QStringLiteral("%1/file %2.txt").arg(path).arg(file));
                out.open(QIODevice::WriteOnly);
                out.write(QByteArray::number(folder * 100 + file));
            }
        }
        return chainOf(QStringLiteral("Many"), source, [source] {
            for (int folder = 0; folder < 1000; folder += 50) {
                for (int file = 0; file < 50; ++file) {
                    const QString path = QStringLiteral("%1/folder %2/file %3.txt").arg(source).arg(folder).arg(file);
                    QFile::remove(path);
                    writeRandom(QStringLiteral("%1/folder %2/new %3.txt").arg(source).arg(folder + 1).arg(file), 64);
                }
            }
        });
    }();
    return chain;
}

// What a window or velmora-run does to show a chain: its points, then the tree as of the newest.
void ListLargeChain(benchmark::State& state)
{
    const Chain& made = manyFilesChain();
    if (made.points.size() != 2) {
        state.SkipWithError("the chain was not made");
        return;
    }
    qint64 entries = 0;
    for (auto _ : state) {
        // Every pass lists the archives anew, as the first look at a chain does.
        ForgetArchiveListings();
        const QList<RestorePoint> points = RestorePointsOf(made.set);
        const auto listed = StateAsOf(points, 0);
        entries = listed ? listed->size() : 0;
        benchmark::DoNotOptimize(entries);
    }
    state.counters["entries"] = double(entries);
    state.counters["files"] = double(made.points.first().fileCount);
}
BENCHMARK(ListLargeChain)->Iterations(5)->Unit(benchmark::kMillisecond);

// A history of 1,000 points: the current chain and 99 kept ones, each a full archive of 300 files and 9 update
// archives, the archives made once by 7-Zip and linked under every chain's names.
QString longHistory()
{
    static const QString full = [] {
        const QString root = ScratchPath(QStringLiteral("history"));
        const QString source = root + QStringLiteral(" source");
        for (int file = 0; file < 300; ++file) {
            QDir().mkpath(QStringLiteral("%1/f%2").arg(source).arg(file % 10));
            QFile out(QStringLiteral("%1/f%2/file %3.txt").arg(source).arg(file % 10).arg(file));
            out.open(QIODevice::WriteOnly);
            out.write(QByteArray::number(file));
        }
        QDir().mkpath(root);
        const auto pack = [&source](const QString& archive, const QStringList& what) {
            QProcess process;
            process.setWorkingDirectory(source);
            process.start(Settings().sevenZipPath.value(),
                QStringList {QStringLiteral("a"), QStringLiteral("-mx=0"), archive} + what);
            process.waitForFinished(-1);
        };
        const QString fullMade = root + QStringLiteral("/made.7z");
        const QString updateMade = root + QStringLiteral("/made_upd.7z");
        pack(fullMade, {QStringLiteral(".")});
        pack(updateMade, {QStringLiteral("f1"), QStringLiteral("f2")});
        const QDateTime start(QDate(2025, 1, 1), QTime(9, 0));
        for (int chain = 0; chain < 100; ++chain) {
            const QDateTime chainTime = start.addDays(chain * 10);
            const QString folder = chain == 99 ? root
                                               : root + QStringLiteral("/docs.history/")
                    + chainTime.toString(QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'"));
            QDir().mkpath(folder);
            // Copies, not links: a link in a history folder is someone else's file and is never read.
            QFile::copy(fullMade, folder + QStringLiteral("/docs.7z"));
            QFile(folder + QStringLiteral("/docs.7z")).setFileTime(chainTime, QFileDevice::FileModificationTime);
            for (int update = 1; update < 10; ++update) {
                QFile::copy(updateMade,
                    folder + QStringLiteral("/docs_upd_")
                        + chainTime.addDays(update).toString(QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'"))
                        + QStringLiteral(".7z"));
            }
        }
        return root + QStringLiteral("/docs.7z");
    }();
    return full;
}

// Every archive of the history listed with "7zz l -slt" by hand, one after the other.
double listedByHand(const QList<RestorePoint>& points)
{
    return SecondsOf([&points] {
        for (const RestorePoint& point : points) {
            QProcess process;
            process.start(Settings().sevenZipPath.value(),
                {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-ba"), QStringLiteral("--"), point.path});
            process.waitForFinished(-1);
            process.readAll();
        }
    });
}

// What --points and the restore dialog do on a history of 1,000 points, against 7-Zip listing each archive by
// hand; then, as the dialog does next, the tree as of a point in each chain and one file's versions across all.
void ListLongHistory(benchmark::State& state)
{
    const QString full = longHistory();
    qsizetype count = 0;
    double handSeconds = 0;
    double browseSeconds = 0;
    for (auto _ : state) {
        ForgetArchiveListings();
        QList<RestorePoint> points;
        const double listing = SecondsOf([&] { points = RestorePointsOfArchive(full); });
        count = points.size();
        if (count != 1000) {
            state.SkipWithError("the history was not read whole");
            return;
        }
        browseSeconds += SecondsOf([&] {
            for (int i = 0; i < points.size(); i += 10)
                benchmark::DoNotOptimize(StateAsOf(points, i));
            benchmark::DoNotOptimize(VersionsOf(points, QStringLiteral("f1/file 1.txt")));
        });
        handSeconds += listedByHand(points);
        state.SetIterationTime(listing);
    }
    state.counters["points"] = double(count);
    state.counters["by_hand_s"] = handSeconds / double(state.iterations());
    state.counters["browse_s"] = browseSeconds / double(state.iterations());
}
BENCHMARK(ListLongHistory)->Iterations(2)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // The runner keeps every tool's output in the cache folder, and lists in the temporary one; not the user's.
    UseScratchUserFolders();
    KeepTemporaryFilesInScratch();
    Locate7Zip();
    return RunBenchmarks(argc, argv);
}
