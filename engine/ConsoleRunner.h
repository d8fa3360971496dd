#pragma once

// Runs an outside program without a shell, with its standard input closed, reads both of its output
// streams at once, waits for it and hands back its exit code and texts.

#include "Command.h"

struct RunResult
{
    int exitCode = -1;
    QString output;
    QString secondOutput;
    // Why the program could not be started, or that it was ended by a signal; empty when it ran and exited.
    QString error;
};

RunResult ExecuteCommand(const Command& command);
