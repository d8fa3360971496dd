#pragma once

// A program and its argument list, never joined into one line for a shell, so that paths with blanks,
// quotes or non-ASCII letters reach the tool whole.

#include <QByteArray>
#include <QString>
#include <QStringList>

// How a tool reports its progress on its standard output.
enum class ProgressFormat
{
    None,
    // 7-Zip's -bsp1: a percentage and the current file, redrawn with backspaces.
    SevenZip,
    // rsync's --info=progress2: bytes, percentage and rate, redrawn with carriage returns.
    Rsync,
};

struct Command
{
    QString program;
    QStringList arguments;
    // The child's working folder; empty means the program's own. The process's folder never changes.
    QString workingFolder;
    // The one-line form shown to the user and in the log.
    QString text;
    ProgressFormat progress = ProgressFormat::None;
    // A few lines the program reads on its standard input (a password), written once it has started and then
    // closed. Never part of arguments or text, which are shown and logged.
    QByteArray standardInput {};

    bool isEmpty() const { return program.isEmpty(); }
};
