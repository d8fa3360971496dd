#include "ToolProgress.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// How far back the rate and the time left look: long enough to even out a tool's bursts.
constexpr qint64 kRateWindowMs = 5000;
// The rate needs at least this span, and the time left this much more, before they are worth showing.
constexpr qint64 kShortestRateSpanMs = 1000;
constexpr qint64 kShortestEstimateSpanMs = 2000;

bool isDelimiter(char c)
{
    return c == '\n' || c == '\r' || c == '\b';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A small cursor over one stretch of output; every read moves it on.
class Scan
{
public:
    explicit Scan(QByteArrayView text)
        : m_text(text)
    {
    }

    bool atEnd() const { return m_at >= m_text.size(); }
    QByteArrayView rest() const { return m_text.sliced(m_at); }
    bool skipSpaces()
    {
        const qsizetype from = m_at;
        while (!atEnd() && m_text.at(m_at) == ' ')
            ++m_at;
        return m_at > from;
    }
    bool take(char c)
    {
        if (atEnd() || m_text.at(m_at) != c)
            return false;
        ++m_at;
        return true;
    }
    // Digits, with the thousands commas rsync puts in; -1 when there are none.
    qint64 number(bool withCommas = false)
    {
        qint64 value = -1;
        for (; !atEnd(); ++m_at) {
            const char c = m_text.at(m_at);
            if (isDigit(c))
                value = std::max<qint64>(value, 0) * 10 + (c - '0');
            else if (!(withCommas && c == ',' && value >= 0))
                break;
        }
        return value;
    }
    void skipTo(char c)
    {
        while (!atEnd() && m_text.at(m_at) != c)
            ++m_at;
    }

private:
    QByteArrayView m_text;
    qsizetype m_at = 0;
};

QByteArrayView trimmedEnd(QByteArrayView text)
{
    while (!text.isEmpty() && text.back() == ' ')
        text.chop(1);
    return text;
}

} // namespace

QByteArray ToolOutputReader::feed(QByteArrayView bytes)
{
    QByteArray kept;
    kept.reserve(bytes.size());
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    while (at < end) {
        const char* delimiter = std::find_if(at, end, isDelimiter);
        const QByteArrayView piece(at, delimiter - at);
        if (m_passing) {
            kept.append(piece);
        } else if (delimiter == end || !m_segment.isEmpty()) {
            m_segment.append(piece);
        }
        if (delimiter == end) {
            // Too long to be a redrawn figure: text, passed on now so that memory stays small.
            if (!m_passing && m_segment.size() > kLongestSegment) {
                kept.append(m_segment);
                m_segment.clear();
                m_lineKept = true;
                m_passing = true;
            }
            // rsync writes each figure whole after its carriage return, and the next one may come a second
            // later: read it now. A piece of one does not read as a figure.
            if (m_format == ProgressFormat::Rsync && m_before == '\r' && !m_passing)
                readRsync(m_segment);
            break;
        }
        endSegment(m_passing || !m_segment.isEmpty() ? QByteArrayView(m_segment) : piece, *delimiter, kept);
        m_segment.clear();
        at = delimiter + 1;
    }
    return kept;
}

QByteArray ToolOutputReader::finish()
{
    QByteArray kept;
    if (m_passing || !m_segment.isEmpty() || m_lineKept) {
        endSegment(m_segment, '\n', kept);
        // Only what the tool wrote: a last line without line end gets none.
        if (kept.endsWith('\n'))
            kept.chop(1);
    }
    m_segment.clear();
    // rsync's last figure sums the run up (bytes, rate, files transferred) and is all a mirror run that
    // changed nothing has to say.
    if (!m_lastFigure.isEmpty()) {
        if (!kept.isEmpty())
            kept += '\n';
        Scan figure(m_lastFigure);
        figure.skipSpaces();
        kept += figure.rest().toByteArray() + '\n';
        m_lastFigure.clear();
    }
    return kept;
}

void ToolOutputReader::endSegment(QByteArrayView segment, char after, QByteArray& kept)
{
    bool progress = false;
    if (!m_passing) {
        progress = m_format == ProgressFormat::SevenZip ? readSevenZip(segment, after)
            : m_format == ProgressFormat::Rsync         ? m_before == '\r' && readRsync(segment)
                                                        : false;
        if (progress) {
            m_lineDropped = true;
            if (m_format == ProgressFormat::Rsync)
                m_lastFigure = trimmedEnd(segment).toByteArray();
        } else if (!segment.isEmpty()) {
            kept.append(segment);
            m_lineKept = true;
        }
        if (!progress && m_format == ProgressFormat::Rsync && m_before == '\n' && after == '\n')
            noteRsyncLine(segment);
    }
    m_passing = false;
    if (after == '\n') {
        // A line that held nothing but redraws goes whole.
        if (m_lineKept || !m_lineDropped)
            kept.append('\n');
        m_lineKept = false;
        m_lineDropped = false;
    }
    m_before = after;
}

bool ToolOutputReader::readSevenZip(QByteArrayView segment, char after)
{
    // 7-Zip draws "  42% 3 + name" (percent, files done, what it does, the file), then backspaces over it,
    // blanks it and backspaces again: whatever it erases that way is progress.
    if (after == '\b') {
        Scan scan(segment);
        scan.skipSpaces();
        const qint64 percent = scan.number();
        if (percent >= 0 && scan.take('%')) {
            // The tool says 100 only once it is done, in its closing lines.
            setPercent(int(std::min<qint64>(percent, 99)));
            scan.skipSpaces();
            if (scan.number() >= 0)
                scan.skipSpaces();
            const QByteArrayView action = scan.rest();
            if (action.size() > 2 && action.at(1) == ' ') {
                const QByteArrayView name = trimmedEnd(action.sliced(2));
                if (name != m_currentFile) {
                    m_currentFile = name.toByteArray();
                    m_changed = true;
                }
            }
        }
        return true;
    }
    if (m_before == '\b' && trimmedEnd(segment).isEmpty())
        return true;
    if (m_before != '\n' && m_before != '\b')
        return false;
    // "Add new data to archive: 2 folders, 5 files, 104857600 bytes (100 MiB)"
    if (segment.startsWith("Add new data to archive:")) {
        const qsizetype bytesWord = segment.indexOf(" bytes");
        qsizetype start = bytesWord;
        while (start > 0 && isDigit(segment.at(start - 1)))
            --start;
        if (bytesWord > start) {
            m_bytesTotal = Scan(segment.sliced(start)).number();
            m_changed = true;
        }
    } else if (segment.startsWith("Archive size:") || segment.startsWith("Everything is Ok")) {
        setPercent(100);
    }
    return false;
}

bool ToolOutputReader::readRsync(QByteArrayView segment)
{
    // "     41,943,040  40%  180.85MB/s    0:00:00 (xfr#2, to-chk=3/6)"
    Scan scan(segment);
    scan.skipSpaces();
    const qint64 bytes = scan.number(true);
    if (bytes < 0 || !scan.skipSpaces())
        return false;
    qint64 percent = scan.number();
    if (percent < 0 || !scan.take('%'))
        return false;
    const QByteArrayView rest = scan.rest();
    if (!rest.contains("/s"))
        return false;
    // Nothing left to check: the transfer is complete, also when there was nothing to transfer. Until
    // then a 100 may still fall as rsync finds more files, so it counts as 99.
    if (rest.contains("to-chk=0/"))
        percent = 100;
    else
        percent = std::min<qint64>(percent, 99);
    if (bytes != m_bytesDone) {
        m_bytesDone = bytes;
        m_changed = true;
    }
    setPercent(int(percent));
    return true;
}

void ToolOutputReader::noteRsyncLine(QByteArrayView line)
{
    // An itemized change: eleven letters of what changed, a blank, the name.
    constexpr qsizetype kNameStart = 12;
    if (line.size() <= kNameStart || line.at(kNameStart - 1) != ' ')
        return;
    const char kind = line.at(0);
    if (kind != '>' && kind != 'c' && kind != '.' && kind != '<' && kind != 'h')
        return;
    m_currentFile = line.sliced(kNameStart).toByteArray();
    m_changed = true;
}

void ToolOutputReader::setPercent(int percent)
{
    // A figure read before its end (rsync's "100%" before its "to-chk=0/") must not take back a done run.
    if (percent <= m_percent)
        return;
    m_percent = percent;
    m_changed = true;
}

ToolReading ToolOutputReader::reading() const
{
    ToolReading reading;
    reading.percent = m_percent;
    reading.bytesTotal = m_bytesTotal;
    reading.bytesDone = m_bytesDone;
    if (m_format == ProgressFormat::SevenZip && m_bytesTotal >= 0 && m_percent >= 0)
        reading.bytesDone = m_bytesTotal * m_percent / 100;
    reading.currentFile = QString::fromUtf8(m_currentFile);
    return reading;
}

bool ToolOutputReader::takeChanged()
{
    return std::exchange(m_changed, false);
}

ProgressMeter::ProgressMeter(Sink sink, int setIndex, int setCount, std::chrono::milliseconds interval)
    : m_sink(std::move(sink))
    , m_intervalMs(interval.count())
{
    m_current.setIndex = setIndex;
    m_current.setCount = setCount;
}

void ProgressMeter::start()
{
    send(0);
}

void ProgressMeter::update(const ToolReading& reading, qint64 msecs)
{
    JobProgress next = m_current;
    next.percent = std::clamp(std::max(reading.percent, m_current.percent), -1, 100);
    next.bytesDone = std::max(reading.bytesDone, m_current.bytesDone);
    if (reading.bytesTotal >= 0)
        next.bytesTotal = reading.bytesTotal;
    if (next.bytesTotal >= 0 && next.percent == 100)
        next.bytesDone = next.bytesTotal;
    if (!reading.currentFile.isEmpty())
        next.currentFile = reading.currentFile;
    const bool moved = next.percent != m_current.percent || next.bytesDone != m_current.bytesDone;
    const bool changed = moved || next.bytesTotal != m_current.bytesTotal || next.currentFile != m_current.currentFile;
    if (!changed)
        return;
    const bool reachedEnd = next.percent == 100 && m_current.percent != 100;
    m_current = next;
    if (moved)
        estimate(msecs);
    if (reachedEnd || m_sentAt < 0 || msecs - m_sentAt >= m_intervalMs)
        send(msecs);
    else
        m_pending = true;
}

void ProgressMeter::finish()
{
    if (m_pending)
        send(m_sentAt);
}

void ProgressMeter::estimate(qint64 msecs)
{
    const double done = m_current.bytesTotal > 0 ? double(m_current.bytesDone) / double(m_current.bytesTotal)
                                                 : double(m_current.percent) / 100.0;
    m_samples.push_back({msecs, m_current.bytesDone, done});
    // The oldest sample kept is the last one at or before the window's start, so the window is full.
    while (m_samples.size() > 2 && msecs - m_samples[1].msecs >= kRateWindowMs)
        m_samples.pop_front();
    const Sample& oldest = m_samples.front();
    const qint64 span = msecs - oldest.msecs;
    if (m_current.percent == 100) {
        m_current.secondsLeft = 0;
        return;
    }
    if (span >= kShortestRateSpanMs && m_current.bytesDone >= 0 && oldest.bytes >= 0)
        m_current.bytesPerSecond = (m_current.bytesDone - oldest.bytes) * 1000 / span;
    const double perMs = (done - oldest.done) / double(span);
    if (span >= kShortestEstimateSpanMs && m_current.percent >= 1 && perMs > 0)
        m_current.secondsLeft = std::llround((1.0 - done) / perMs / 1000.0);
}

void ProgressMeter::send(qint64 msecs)
{
    m_sentAt = msecs;
    m_pending = false;
    if (m_sink)
        m_sink(m_current);
}
