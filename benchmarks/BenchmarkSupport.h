#pragma once

// What the benchmark programs share: one scratch folder for the whole program, with the temporary files, the user's
// folders and a store of settings and set files inside it, the time a piece of work takes, a tool run to its end,
// and this process's memory figures.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ProfileStore;

// The program's scratch folder, removed when the program ends.
QString ScratchPath(const QString& name);

// TMPDIR inside the scratch folder, so the jobs' temporary files stay there.
void KeepTemporaryFilesInScratch();

// HOME, XDG_CACHE_HOME, XDG_STATE_HOME, XDG_CONFIG_HOME and XDG_DATA_HOME inside the scratch folder, so the runner's
// output, the kept logs and anything else a job writes below the user's folders never reach the real ones.
void UseScratchUserFolders();

// A store of settings and set files in the scratch folder ("config" and "docs").
ProfileStore& ScratchStore();

// How many seconds the work took on the clock.
double SecondsOf(const std::function<void()>& work);

// Runs the program to its end, its output read and dropped unless outputFile names a file to write it into (as
// `PROGRAM > FILE`, QProcess::nullDevice() for none), in this process's environment unless one is given; false
// unless it ended normally with 0.
bool RunToEnd(const QString& program, const QStringList& arguments, const QString& workingFolder = QString(),
    const QString& outputFile = QString(), const std::optional<QProcessEnvironment>& environment = std::nullopt);

// A figure of this process from /proc/self/status (VmRSS, VmHWM...), in KiB; -1 when it cannot be read.
qint64 StatusKib(const QByteArray& field);
// Starts the peak of resident memory afresh at what the process holds now.
void ResetResidentPeak();
// The peak of resident memory the kernel counts for this process, in KiB.
long PeakKilobytes();

// Google Benchmark's own start, run and end, with its options taken from the command line.
int RunBenchmarks(int& argc, char** argv);
