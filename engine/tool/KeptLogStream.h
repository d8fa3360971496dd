#pragma once

// One output stream of a tool on its way into a set's kept log: the log gets the stream's first part as it
// comes, then only its warning and error lines, and at the end its last part, with a line saying what was left
// out. Memory holds the last part only, so neither memory nor the log grows with the output.

#include <QByteArray>
#include <QByteArrayView>

#include <deque>

class QIODevice;

// Tells, line by line, which lines of 7-Zip's or rsync's output report something that went wrong.
class ProblemLines
{
public:
    // Takes the next line of one stream, with or without its line end; without byWords only the lines of
    // 7-Zip's warnings count.
    bool isProblem(QByteArrayView line, bool byWords = true);

private:
    // Inside 7-Zip's closing list of warnings, each line names a file it could not read.
    bool m_inList = false;
    // 7-Zip puts the name a warning is about on the line after it.
    bool m_afterWarning = false;
};

class KeptLogStream
{
public:
    static constexpr qsizetype kHeadBytes = qsizetype(1) << 20;
    static constexpr qsizetype kTailBytes = qsizetype(1) << 20;
    // Warning and error lines between the two parts, at most; a tool that calls everything an error fills no disk.
    static constexpr qint64 kProblemBytes = qint64(4) << 20;
    // A line longer than this is taken in pieces of this length.
    static constexpr qsizetype kLongestLine = qsizetype(64) * 1024;

    KeptLogStream(QIODevice& log, bool secondStream);

    // False when the log could not be written; the device's error string says why.
    bool add(QByteArrayView bytes);
    // Writes the last part, after a line that says how much was left out when anything was.
    bool finish();

    qint64 leftOutBytes() const { return m_total - m_keptBytes; }

private:
    struct Problem
    {
        qint64 start;
        qsizetype size;
    };

    void takeLine(QByteArrayView line);
    void keepInTail(QByteArrayView line, bool problem);
    // Lets the oldest bytes of the last part go, first writing the problem lines that start among them.
    void dropFromTail(qint64 bytes);
    QByteArray tailBytes(qint64 from, qsizetype size) const;
    void keep(QByteArrayView bytes);
    // A line of the program's own, on a line of its own.
    void appendNote(const QByteArray& line);
    bool flush();

    QIODevice& m_log;
    const bool m_secondStream;
    ProblemLines m_problems;
    // What goes to the log at the end of the current add(): one write per piece of output, not per line.
    QByteArray m_out;
    // The start of a line whose end has not come yet.
    QByteArray m_partial;
    qint64 m_total = 0;
    qint64 m_keptBytes = 0;
    qsizetype m_headBytes = 0;
    bool m_pastHead = false;
    bool m_outAtLineStart = true;
    // The last part: a ring over the stream's bytes from m_tailStart to m_tailEnd, counted from the first
    // byte past the first part.
    QByteArray m_ring;
    qint64 m_tailStart = 0;
    qint64 m_tailEnd = 0;
    // Whether m_tailStart is the start of a line.
    bool m_tailAtLineStart = true;
    std::deque<Problem> m_tailProblems;
    bool m_cutBegun = false;
    qint64 m_problemBytesKept = 0;
    qint64 m_problemLinesKept = 0;
    qint64 m_problemLinesLeftOut = 0;
    bool m_failed = false;
};
