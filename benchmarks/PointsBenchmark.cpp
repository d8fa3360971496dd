// What --points and --versions cost on a chain of a full archive and ten update archives, against the eleven
// "7zz l -slt" listings they need run by hand. Sizes of 10,000 and 100,000 files by default; --large adds 300,000.

#include "BenchmarkSupport.h"
#include "RestorePoints.h"
#include "Settings.h"
#include "ToolLocations.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>

#include <sys/resource.h>

namespace {

// Processor time of this program and of the tools it ran and waited for, in seconds: on a machine shared with
// other work, a fairer measure than the time on the clock.
double processorSeconds()
{
    double seconds = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage {};
        getrusage(who, &usage);
        for (const timeval& time : {usage.ru_utime, usage.ru_stime})
            seconds += double(time.tv_sec) + double(time.tv_usec) / 1e6;
    }
    return seconds;
}

void run7Zip(const QString& folder, const QStringList& arguments)
{
    RunToEnd(Settings().sevenZipPath.value(), arguments, folder, QProcess::nullDevice());
}

void writeFile(const QString& path, const QByteArray& text)
{
    QFile out(path);
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    out.write(text);
}

QString filePath(const QString& source, int file)
{
    return QStringLiteral("%1/folder %2/file %3.txt").arg(source).arg(file / 100).arg(file);
}

constexpr int kUpdates = 10;

// A source of `files` small files in folders of a hundred, its full archive and ten update archives made as a
// backup run makes them; each run in between rewrites 150 files, deletes 25 and adds 25. The full archive's path.
QString chainOf(int files)
{
    static QHash<int, QString> made;
    if (const auto found = made.constFind(files); found != made.cend())
        return *found;
    const QString root = ScratchPath(QStringLiteral("chain %1").arg(files));
    const QString source = root + QStringLiteral("/source");
    const QString target = root + QStringLiteral("/archives");
    QDir().mkpath(target);
    for (int file = 0; file < files; ++file) {
        if (file % 100 == 0)
            QDir().mkpath(QStringLiteral("%1/folder %2").arg(source).arg(file / 100));
        writeFile(filePath(source, file), QByteArray::number(file));
    }
    const QString full = target + QStringLiteral("/docs.7z");
    const QStringList common {QStringLiteral("*"), QStringLiteral("-r"), QStringLiteral("-snl"), QStringLiteral("-t7z"),
        QStringLiteral("-mx=0")};
    run7Zip(source, QStringList {QStringLiteral("a"), full} + common);
    const QDateTime start(QDate(2026, 1, 1), QTime(9, 0));
    QFile(full).setFileTime(start, QFileDevice::FileModificationTime);
    int added = 0;
    for (int update = 1; update <= kUpdates; ++update) {
        for (int i = 0; i < 150; ++i)
            writeFile(filePath(source, (update * 7919 + i * 104729) % files), QByteArray::number(update));
        for (int i = 0; i < 25; ++i)
            QFile::remove(filePath(source, (update * 15485863 + i * 7907) % files));
        for (int i = 0; i < 25; ++i, ++added)
            writeFile(QStringLiteral("%1/folder %2/new %3.txt").arg(source).arg(added % (files / 100)).arg(added),
                QByteArray::number(added));
        const QString stamp = start.addDays(update).toString(QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'"));
        const QString updatePath = target + QStringLiteral("/docs_upd_") + stamp + QStringLiteral(".7z");
        run7Zip(source,
            QStringList {QStringLiteral("u"), full, QStringLiteral("-u-")} + common
                + QStringList {QStringLiteral("-up0q3x2z0!") + updatePath});
    }
    made.insert(files, full);
    return full;
}

// Each archive of the chain listed with "7zz l -slt" by hand, one after the other, its listing read whole.
double listedByHand(const QList<RestorePoint>& points)
{
    return SecondsOf([&points] {
        for (const RestorePoint& point : points) {
            QProcess process;
            process.start(Settings().sevenZipPath.value(),
                {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-ba"), QStringLiteral("--"), point.path});
            while (process.waitForReadyRead(-1))
                benchmark::DoNotOptimize(process.readAll());
            process.waitForFinished(-1);
        }
    });
}

// velmora-run's forms on a chain listed afresh each time, taking turns with the listings by hand.
void measure(benchmark::State& state, bool versions)
{
    const QString full = chainOf(int(state.range(0)));
    double velmoraSeconds = 0;
    double handSeconds = 0;
    double velmoraProcessor = 0;
    double handProcessor = 0;
    qint64 found = 0;
    for (auto iteration : state) {
        (void)iteration;
        ForgetArchiveListings();
        QList<RestorePoint> points;
        const double processorBefore = processorSeconds();
        const double velmora = SecondsOf([&] {
            points = RestorePointsOfArchive(full);
            if (versions)
                found = VersionsOf(points, QStringLiteral("folder 1/file 150.txt")).size();
            else
                found = points.size();
        });
        if (points.size() != kUpdates + 1 || points.constFirst().fileCount <= 0) {
            state.SkipWithError("the chain was not read whole");
            return;
        }
        velmoraSeconds += velmora;
        const double processorBetween = processorSeconds();
        velmoraProcessor += processorBetween - processorBefore;
        handSeconds += listedByHand(points);
        handProcessor += processorSeconds() - processorBetween;
        state.SetIterationTime(velmora);
    }
    benchmark::DoNotOptimize(found);
    state.counters["velmora_s"] = velmoraSeconds / double(state.iterations());
    state.counters["by_hand_s"] = handSeconds / double(state.iterations());
    state.counters["ratio"] = velmoraSeconds / handSeconds;
    state.counters["cpu_ratio"] = velmoraProcessor / handProcessor;
}

void Points(benchmark::State& state)
{
    measure(state, false);
}

void Versions(benchmark::State& state)
{
    measure(state, true);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    UseScratchUserFolders();
    KeepTemporaryFilesInScratch();
    Locate7Zip();
    bool large = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--large") == 0)
            large = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    for (const auto& [name, versions] : {std::pair {"Points", false}, std::pair {"Versions", true}}) {
        auto* benchmark = benchmark::RegisterBenchmark(name, versions ? Versions : Points);
        benchmark->Arg(10000)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();
        if (large)
            benchmark->Arg(300000);
    }
    return RunBenchmarks(argc, argv);
}
