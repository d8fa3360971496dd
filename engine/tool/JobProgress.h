#pragma once

// How far a running job is, as the runner publishes it while the tool works.

#include <QMetaType>
#include <QString>

struct JobProgress
{
    // 0 to 100; -1 while the tool has said nothing about it (the window then keeps its marquee).
    int percent = -1;
    qint64 bytesDone = 0;
    // -1 where the tool does not tell.
    qint64 bytesTotal = -1;
    // The file the tool works on, as it names it (relative to the source folder).
    QString currentFile;
    // Both from the rate over the last few seconds; -1 until there is a sensible figure.
    qint64 bytesPerSecond = -1;
    qint64 secondsLeft = -1;
    // Which set of a run of several this is, counted from 1; 1 of 1 for a run of one set.
    int setIndex = 1;
    int setCount = 1;
    // The run's second phase: its new archive, or its mirror, is being copied off site.
    bool offsite = false;
};

Q_DECLARE_METATYPE(JobProgress)
