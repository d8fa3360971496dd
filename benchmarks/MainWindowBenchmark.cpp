// What a user with a thousand sets waits for: the window from start-up until it is shown, and a list refresh.

#include "BenchmarkSupport.h"
#include "CMyVelmoraApp.h"
#include "CMyVelmoraDlg.h"
#include "ProfileStore.h"
#include "SetCollection.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

void writeSetFiles(int count)
{
    const QString folder = ScratchPath(QStringLiteral("docs/Quorvane/Velmora"));
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile file(QStringLiteral("%1/Set %2.ini").arg(folder).arg(i));
        file.open(QIODevice::WriteOnly);
        file.write(QStringLiteral("[Velmora Project file]\nnID=%1\nname=Set %1\narcname=set%1\nsource=/home/user/%1\n"
                                  "target=/media/backup\nArcType=%2\nBackupType=%3\nlastrun=2026-12-01\n")
                       .arg(i)
                       .arg(i % 2)
                       .arg(i % 3)
                       .toUtf8());
    }
}

void StartUpToWindowShown(benchmark::State& state)
{
    writeSetFiles(int(state.range(0)));
    for (auto _ : state) {
        CMyVelmoraApp::InitStoreAndLanguage(ScratchPath(QStringLiteral("config")), ScratchPath(QStringLiteral("docs")));
        {
            CMyVelmoraDlg window;
            window.show();
            QApplication::processEvents();
        }
        delete g_profileStore;
        g_profileStore = nullptr;
    }
}
BENCHMARK(StartUpToWindowShown)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void FillSetListThousand(benchmark::State& state)
{
    writeSetFiles(int(state.range(0)));
    CMyVelmoraApp::InitStoreAndLanguage(ScratchPath(QStringLiteral("config")), ScratchPath(QStringLiteral("docs")));
    CMyVelmoraDlg window;
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.FillSetList();
        QApplication::processEvents();
    }
    delete g_profileStore;
    g_profileStore = nullptr;
}
BENCHMARK(FillSetListThousand)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return RunBenchmarks(argc, argv);
}
