#pragma once

// A program and its argument list, never joined into one line for a shell, so that paths with blanks,
// quotes or non-ASCII letters reach the tool whole.

#include <QString>
#include <QStringList>

struct Command
{
    QString program;
    QStringList arguments;
    // The child's working folder; empty means the program's own. The process's folder never changes.
    QString workingFolder;
    // The one-line form shown to the user and in the log.
    QString text;

    bool isEmpty() const { return program.isEmpty(); }
};
