// What the off-site copy costs over the same copy by hand: a 200 MB full archive sent to an empty folder through
// rsync over ssh (to a test sshd on the loopback address) and to an rclone local remote. Velmora's copy also
// checks every copied file there by checksum, which the copy by hand does not.

#include "BenchmarkSupport.h"
#include "Offsite.h"
#include "OffsiteServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <iostream>

namespace {

struct Workspace
{
    QString local = ScratchPath(QStringLiteral("local"));
    QString remote = ScratchPath(QStringLiteral("remote"));
    OffsiteServer server;
    bool serverUp = false;

    // 200 MB that no compression shrinks, as a set's full archive.
    Workspace()
    {
        QDir().mkpath(local);
        QFile out(local + "/docs.7z");
        out.open(QIODevice::WriteOnly);
        QByteArray block(1 << 20, Qt::Uninitialized);
        QRandomGenerator random(19);
        for (int megabyte = 0; megabyte < 200; ++megabyte) {
            random.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
            out.write(block);
        }
        out.close();
        QString problem;
        serverUp = server.start(&problem);
        if (!serverUp)
            std::cerr << "no test sshd: " << problem.toStdString() << "\n";
    }

    void emptyRemote() const
    {
        QDir(remote).removeRecursively();
        QDir().mkpath(remote);
    }
};

Workspace& workspace()
{
    static Workspace space;
    return space;
}

double velmoraSeconds(const BackupSet& set)
{
    workspace().emptyRemote();
    RunControl control;
    JobContext context;
    context.control = &control;
    OffsiteOutcome outcome;
    const double seconds = SecondsOf([&] { outcome = CopyArchivesOffsite(set, context); });
    if (!outcome.ok())
        std::cerr << "off-site copy failed: " << outcome.reason.toStdString() << "\n";
    return seconds;
}

double handSeconds(const QString& program, const QStringList& arguments)
{
    workspace().emptyRemote();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    const double seconds = SecondsOf([&] {
        process.start(program, arguments);
        process.waitForFinished(-1);
    });
    if (process.exitCode() != 0)
        std::cerr << program.toStdString() << " by hand failed\n";
    return seconds;
}

// Taking turns, so that the page cache and the machine's load treat both alike.
void CopyOverCopyByHand(benchmark::State& state)
{
    Workspace& space = workspace();
    const bool overSsh = state.range(0) == 0;
    if (overSsh && !space.serverUp) {
        state.SkipWithError("no test sshd here");
        return;
    }
    BackupSet set;
    set.name = set.arcName = QStringLiteral("docs");
    set.target = space.local;
    set.backupType = FullArchiving;
    set.offsite = overSsh ? space.server.sshTarget(space.remote) : OffsiteServer::localRemote() + ':' + space.remote;
    const QString file = space.local + "/docs.7z";
    const auto byHand = [&] {
        if (overSsh) {
            const QString ssh = QStringLiteral("ssh -F %1 -o BatchMode=yes -p %2")
                                    .arg(space.server.sshConfig())
                                    .arg(space.server.port());
            return handSeconds("rsync",
                {"-t", "-e", ssh, file, QStringLiteral("%1@127.0.0.1:%2/").arg(space.server.user(), space.remote)});
        }
        return handSeconds("rclone", {"copyto", file, OffsiteServer::localRemote() + ':' + space.remote + "/docs.7z"});
    };
    double velmora = 0;
    double hand = 0;
    bool velmoraFirst = true;
    for (auto _ : state) {
        double once = 0;
        if (velmoraFirst) {
            once = velmoraSeconds(set);
            hand += byHand();
        } else {
            hand += byHand();
            once = velmoraSeconds(set);
        }
        velmora += once;
        velmoraFirst = !velmoraFirst;
        state.SetIterationTime(once);
    }
    const double runs = double(state.iterations());
    state.counters["velmora_s"] = velmora / runs;
    state.counters["by_hand_s"] = hand / runs;
    state.counters["ratio"] = velmora / hand;
    state.SetLabel(overSsh ? "rsync over ssh" : "rclone, local remote");
}
BENCHMARK(CopyOverCopyByHand)->Arg(0)->Arg(1)->Iterations(4)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    // The runner keeps logs below the user's folders: these are a temporary home's.
    UseScratchUserFolders();
    QCoreApplication application(argc, argv);
    return RunBenchmarks(argc, argv);
}
