#pragma once

// Reads a tool's progress from its standard output as it comes, and keeps its redraws out of the text a log
// keeps; turns those readings into the progress a runner publishes.

#include "Command.h"
#include "JobProgress.h"

#include <QByteArray>
#include <QByteArrayView>

#include <chrono>
#include <deque>
#include <functional>

// What the tool's own output has said so far; -1 where it said nothing.
struct ToolReading
{
    int percent = -1;
    qint64 bytesDone = -1;
    qint64 bytesTotal = -1;
    QString currentFile;
};

// One tool's standard output, fed as it arrives, split anywhere.
class ToolOutputReader
{
public:
    explicit ToolOutputReader(ProgressFormat format)
        : m_format(format)
    {
    }

    // Takes the next bytes and returns what of them a log keeps: the tool's real lines (7-Zip's listing and
    // warnings, rsync's itemized changes), without the progress it draws over and over on one line.
    QByteArray feed(QByteArrayView bytes);
    // What is left once the tool has ended; for rsync also its last figure, as one line.
    QByteArray finish();

    ToolReading reading() const;
    // Whether the reading changed since the last call.
    bool takeChanged();

    // A stretch without line end or redraw longer than this is text, passed on as it comes.
    static constexpr qsizetype kLongestSegment = 4096;

private:
    void endSegment(QByteArrayView segment, char after, QByteArray& kept);
    // Whether the stretch between two redraw or line-end characters is progress, read into the reading.
    bool readSevenZip(QByteArrayView segment, char after);
    bool readRsync(QByteArrayView segment);
    void noteRsyncLine(QByteArrayView line);
    void setPercent(int percent);

    const ProgressFormat m_format;
    QByteArray m_segment;
    // The stretch being passed on is too long to be progress.
    bool m_passing = false;
    char m_before = '\n';
    bool m_lineDropped = false;
    bool m_lineKept = false;
    int m_percent = -1;
    qint64 m_bytesDone = -1;
    qint64 m_bytesTotal = -1;
    QByteArray m_currentFile;
    QByteArray m_lastFigure;
    bool m_changed = false;
};

// At most this many values a second reach the window, the last one always.
inline constexpr std::chrono::milliseconds kProgressInterval {100};

// Turns one tool run's readings into published progress: never above 100, never backwards, at most one
// value per interval but the final 100 at once, and a rate and a time left taken over the last seconds so
// that they do not jump.
class ProgressMeter
{
public:
    using Sink = std::function<void(const JobProgress&)>;

    ProgressMeter(Sink sink, int setIndex, int setCount, std::chrono::milliseconds interval = kProgressInterval);

    // Sends the first value of the run, percent unknown.
    void start();
    // The reading at msecs counted from the tool's start.
    void update(const ToolReading& reading, qint64 msecs);
    // Sends a value the interval held back.
    void finish();
    const JobProgress& current() const { return m_current; }

private:
    struct Sample
    {
        qint64 msecs;
        qint64 bytes;
        double done;
    };
    void estimate(qint64 msecs);
    void send(qint64 msecs);

    Sink m_sink;
    const qint64 m_intervalMs;
    JobProgress m_current;
    std::deque<Sample> m_samples;
    qint64 m_sentAt = -1;
    bool m_pending = false;
};
