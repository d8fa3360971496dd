#pragma once

// Runs an outside program without a shell, with its standard input closed, reads both of its output
// streams at once, waits for it and hands back its exit code and texts.

#include "Command.h"

#include <QByteArray>
#include <QStringView>

#include <functional>

// How much of each stream a result keeps in memory: its first and its last part. All of it goes to the
// last run's output files (LastRun.h), and one line in the text says where and how much was left out.
inline constexpr qsizetype kRunTextHeadBytes = 1 << 20;
inline constexpr qsizetype kRunTextTailBytes = 1 << 20;
// A line longer than this many characters reaches the line observer in pieces of this length.
inline constexpr qsizetype kRunLinePieceChars = 1 << 20;

struct RunResult
{
    int exitCode = -1;
    // Each stream's first and last part, see above.
    QString output;
    QString secondOutput;
    // Why the program could not be started, or that it was ended by a signal; empty when it ran and exited.
    QString error;
    // The signal that ended the program, 0 when it exited by itself or never ran.
    int exitSignal = 0;
};

// Sees every line the program writes, without its line end, also those the result's texts leave out, and
// the last one also when it has no line end; called on the thread that runs the program.
using RunLineObserver = std::function<void(QStringView line, bool secondStream)>;

RunResult ExecuteCommand(const Command& command, const RunLineObserver& lineObserver = {});

// Receives a running program's output as it comes, as raw bytes (secondStream for its standard error).
using RunOutputListener = std::function<void(const QByteArray& bytes, bool secondStream)>;
// Installs the listener for every later run of this process, on whatever thread the run happens; an empty
// one stops the forwarding. A terminal program uses it to show a tool's progress while it works.
void SetRunOutputListener(RunOutputListener listener);
