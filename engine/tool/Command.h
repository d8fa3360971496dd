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

inline constexpr qsizetype kDefaultResultPartBytes = qsizetype(1) << 20;

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
    // How much of the start and of as much of the end of each output stream the run's result keeps in memory: a
    // listing read back needs room, a job's tool whose output goes to its log only a little.
    qsizetype resultPartBytes = kDefaultResultPartBytes;

    bool isEmpty() const { return program.isEmpty(); }
};
