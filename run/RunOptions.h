#pragma once

// What velmora-run was asked to do, read from its command line.

#include <QString>
#include <QStringList>

struct RunOptions
{
    enum class Mode
    {
        Help,
        List,
        Run,
        UsageError,
    };

    Mode mode = Mode::UsageError;
    // The sets named on the command line, in the order given; empty with --all.
    QStringList names;
    bool all = false;
    bool dryRun = false;
    bool noWait = false;
    // Run a set whose source folder is empty instead of failing it.
    bool allowEmptySource = false;
    // Why the command line cannot be used (Mode::UsageError).
    QString error;
};

// The arguments without the program's own name.
RunOptions ParseRunOptions(const QStringList& arguments);
QString RunHelpText();
