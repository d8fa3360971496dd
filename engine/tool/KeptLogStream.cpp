#include "KeptLogStream.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QIODevice>

#include <algorithm>

namespace {

// 7-Zip closes each list of warnings with this rule.
constexpr QByteArrayView kListEnd = "----------------";

// Words that 7-Zip's and rsync's reports of trouble carry, in lower case.
constexpr QByteArrayView kProblemWords[]
    = {"warning", "error", "errno", "fail", "denied", "vanish", "cannot", "rsync:"};

QByteArrayView withoutLineEnd(QByteArrayView line)
{
    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
        line.chop(1);
    return line;
}

bool startsWithLowerCase(QByteArrayView text, QByteArrayView lowerWord)
{
    if (text.size() < lowerWord.size())
        return false;
    for (qsizetype i = 0; i < lowerWord.size(); ++i) {
        const char c = text.at(i);
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != lowerWord.at(i))
            return false;
    }
    return true;
}

// One pass over the line: a tool that prints hundreds of megabytes must not wait for its log.
bool hasProblemWord(QByteArrayView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        const char lower = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        switch (lower) {
        case 'w':
        case 'e':
        case 'f':
        case 'd':
        case 'v':
        case 'c':
        case 'r':
            break;
        default:
            continue;
        }
        const QByteArrayView rest = text.sliced(i);
        for (const QByteArrayView word : kProblemWords) {
            if (word.front() == lower && startsWithLowerCase(rest, word))
                return true;
        }
    }
    return false;
}

QByteArray noteLine(int stringId, const QStringList& arguments = {})
{
    QString text = LoadStringById(stringId);
    for (const QString& argument : arguments)
        text = text.arg(argument);
    return text.toUtf8() + '\n';
}

} // namespace

bool ProblemLines::isProblem(QByteArrayView line, bool byWords)
{
    const QByteArrayView text = withoutLineEnd(line);
    if (m_inList) {
        if (text == kListEnd)
            m_inList = false;
        return true;
    }
    if (m_afterWarning) {
        m_afterWarning = false;
        if (!text.isEmpty())
            return true;
    }
    // "Scan WARNINGS for files and folders:" and "WARNINGS for files:" open the list of what was not read.
    if (text.endsWith("WARNINGS for files and folders:") || text == "WARNINGS for files:") {
        m_inList = true;
        return true;
    }
    if (text.startsWith("WARNING:") || text.startsWith("ERROR:")) {
        m_afterWarning = true;
        return true;
    }
    return byWords && hasProblemWord(text);
}

KeptLogStream::KeptLogStream(QIODevice& log, bool secondStream)
    : m_log(log)
    , m_secondStream(secondStream)
{
}

bool KeptLogStream::add(QByteArrayView bytes)
{
    m_total += bytes.size();
    while (!bytes.isEmpty()) {
        const qsizetype room = kLongestLine - m_partial.size();
        const qsizetype lineEnd = bytes.first(std::min(bytes.size(), room)).indexOf('\n');
        if (lineEnd >= 0) {
            const QByteArrayView line = bytes.first(lineEnd + 1);
            if (m_partial.isEmpty()) {
                takeLine(line);
            } else {
                m_partial.append(line);
                takeLine(m_partial);
                m_partial.truncate(0);
            }
            bytes = bytes.sliced(lineEnd + 1);
        } else if (bytes.size() < room) {
            m_partial.append(bytes);
            break;
        } else {
            // A line without end must not grow without bound.
            m_partial.append(bytes.first(room));
            takeLine(m_partial);
            m_partial.truncate(0);
            bytes = bytes.sliced(room);
        }
    }
    return flush();
}

bool KeptLogStream::finish()
{
    if (!m_partial.isEmpty()) {
        takeLine(m_partial);
        m_partial.clear();
    }
    if (m_pastHead) {
        qint64 from = m_tailStart;
        if (m_cutBegun && !m_tailAtLineStart) {
            // The last part starts with a whole line when one starts near its beginning.
            const QByteArray start
                = tailBytes(m_tailStart, qsizetype(std::min<qint64>(kLongestLine, m_tailEnd - m_tailStart)));
            const qsizetype lineEnd = start.indexOf('\n');
            if (lineEnd >= 0)
                from = m_tailStart + lineEnd + 1;
        }
        if (m_cutBegun) {
            // A problem line that begins in what the skipped start of the last part is still kept.
            dropFromTail(from - m_tailStart);
            const qint64 leftOut = m_total - m_keptBytes - (m_tailEnd - m_tailStart);
            appendNote(noteLine(m_secondStream ? StringId::KeptLogErrorsCutEnds : StringId::KeptLogOutputCutEnds,
                {QString::number(leftOut), QString::number(m_problemLinesKept),
                    QString::number(m_problemLinesLeftOut)}));
        }
        keep(tailBytes(m_tailStart, qsizetype(m_tailEnd - m_tailStart)));
    }
    m_ring.clear();
    m_tailProblems.clear();
    return flush();
}

void KeptLogStream::takeLine(QByteArrayView line)
{
    // The first part is kept whole, so only its lists need following.
    const bool inHead = !m_pastHead && m_headBytes + line.size() <= kHeadBytes;
    const bool problem = m_problems.isProblem(line, !inHead);
    if (!m_pastHead) {
        if (inHead) {
            m_headBytes += line.size();
            keep(line);
            return;
        }
        m_pastHead = true;
    }
    keepInTail(line, problem);
}

void KeptLogStream::keepInTail(QByteArrayView line, bool problem)
{
    if (m_ring.isEmpty())
        m_ring.resize(kTailBytes);
    const qint64 overflow = m_tailEnd + line.size() - m_tailStart - kTailBytes;
    if (overflow > 0)
        dropFromTail(overflow);
    const qsizetype position = qsizetype(m_tailEnd % kTailBytes);
    const qsizetype first = std::min(line.size(), kTailBytes - position);
    std::copy_n(line.data(), first, m_ring.data() + position);
    std::copy_n(line.data() + first, line.size() - first, m_ring.data());
    if (problem)
        m_tailProblems.push_back({m_tailEnd, line.size()});
    m_tailEnd += line.size();
}

void KeptLogStream::dropFromTail(qint64 bytes)
{
    if (bytes <= 0)
        return;
    const qint64 newStart = m_tailStart + bytes;
    if (!m_cutBegun) {
        m_cutBegun = true;
        appendNote(noteLine(m_secondStream ? StringId::KeptLogErrorsCutBegins : StringId::KeptLogOutputCutBegins));
    }
    // Written whole while they are still in the ring, in the order they came.
    while (!m_tailProblems.empty() && m_tailProblems.front().start < newStart) {
        const Problem problem = m_tailProblems.front();
        m_tailProblems.pop_front();
        if (m_problemBytesKept + problem.size > kProblemBytes) {
            ++m_problemLinesLeftOut;
            continue;
        }
        m_problemBytesKept += problem.size;
        ++m_problemLinesKept;
        keep(tailBytes(problem.start, problem.size));
    }
    m_tailAtLineStart = m_ring.at(qsizetype((newStart - 1) % kTailBytes)) == '\n';
    m_tailStart = newStart;
}

QByteArray KeptLogStream::tailBytes(qint64 from, qsizetype size) const
{
    QByteArray bytes(size, Qt::Uninitialized);
    const qsizetype position = qsizetype(from % kTailBytes);
    const qsizetype first = std::min(size, kTailBytes - position);
    std::copy_n(m_ring.constData() + position, first, bytes.data());
    std::copy_n(m_ring.constData(), size - first, bytes.data() + first);
    return bytes;
}

void KeptLogStream::keep(QByteArrayView bytes)
{
    m_keptBytes += bytes.size();
    m_out.append(bytes);
    m_outAtLineStart = bytes.isEmpty() ? m_outAtLineStart : bytes.back() == '\n';
}

void KeptLogStream::appendNote(const QByteArray& line)
{
    if (!m_outAtLineStart)
        m_out.append('\n');
    m_out.append(line);
    m_outAtLineStart = true;
}

bool KeptLogStream::flush()
{
    if (m_failed || m_out.isEmpty()) {
        m_out.truncate(0);
        return !m_failed;
    }
    m_failed = m_log.write(m_out) != m_out.size();
    m_out.truncate(0);
    return !m_failed;
}
