#pragma once

// Runs an outside program without a shell, with its standard input closed, reads both of its output
// streams at once, waits for it and hands back its exit code and texts.

#include "Command.h"

#include <QByteArray>

#include <functional>

struct RunResult
{
    int exitCode = -1;
    QString output;
    QString secondOutput;
    // Why the program could not be started, or that it was ended by a signal; empty when it ran and exited.
    QString error;
    // The signal that ended the program, or 0.
    int exitSignal = 0;
};

RunResult ExecuteCommand(const Command& command);

// Receives a running program's output as it comes, as raw bytes (secondStream for its standard error);
// the result still holds all of it.
using RunOutputListener = std::function<void(const QByteArray& bytes, bool secondStream)>;
// Installs the listener for every later run of this process, on whatever thread the run happens; an empty
// one stops the forwarding. A terminal program uses it to show a tool's progress while it works.
void SetRunOutputListener(RunOutputListener listener);
