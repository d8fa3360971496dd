#include "ProgressLine.h"

#include "JobRunner.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "Terminal.h"

#include <QMutex>
#include <QMutexLocker>

#include <unistd.h>

namespace {

// The tool's output and the progress both come from the job's thread, the summary lines from the main
// thread once the job is done; the mutex keeps a redraw from landing inside a piece of output.
QMutex lineMutex;
QByteArray shownLine;
bool lineActive = false;
// A line the tool has begun but not ended: the progress waits below it until it is whole.
bool toolMidLine = false;

const QByteArray kEraseLine = QByteArrayLiteral("\r\033[K");

// The line's words in the interface language, read on the main thread when the line starts: the job's thread
// only fills them in.
struct LineWords
{
    QString offsite;
    QString ofTotal;
    QString timeLeft;
};
LineWords lineWords;

QByteArray size(qint64 bytes)
{
    const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
    double value = double(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 4) {
        value /= 1024;
        ++unit;
    }
    return QByteArray::number(value, 'f', unit == 0 ? 0 : 1) + ' ' + units[unit];
}

QByteArray duration(qint64 seconds)
{
    const QByteArray minutesAndSeconds
        = QByteArray::number(seconds / 60 % 60).rightJustified(seconds >= 3600 ? 2 : 1, '0') + ':'
        + QByteArray::number(seconds % 60).rightJustified(2, '0');
    return seconds >= 3600 ? QByteArray::number(seconds / 3600) + ':' + minutesAndSeconds : minutesAndSeconds;
}

QByteArray lineOf(const JobProgress& progress)
{
    QByteArray line;
    if (progress.setCount > 1)
        line += '[' + QByteArray::number(progress.setIndex) + '/' + QByteArray::number(progress.setCount) + "] ";
    if (progress.offsite)
        line += lineWords.offsite.toUtf8() + ' ';
    line += progress.percent < 0 ? QByteArrayLiteral("  ?%")
                                 : QByteArray::number(progress.percent).rightJustified(3) + '%';
    if (progress.bytesDone > 0 || progress.bytesTotal >= 0) {
        line += "  "
            + (progress.bytesTotal >= 0 ? lineWords.ofTotal
                                              .arg(QString::fromUtf8(size(progress.bytesDone)),
                                                  QString::fromUtf8(size(progress.bytesTotal)))
                                              .toUtf8()
                                        : size(progress.bytesDone));
    }
    if (progress.bytesPerSecond >= 0)
        line += "  " + size(progress.bytesPerSecond) + "/s";
    if (progress.secondsLeft >= 0 && progress.percent < 100)
        line += "  " + lineWords.timeLeft.arg(QString::fromUtf8(duration(progress.secondsLeft))).toUtf8();
    return line;
}

} // namespace

void PrintToolOutput(const QByteArray& bytes, bool toStandardError)
{
    QMutexLocker lock(&lineMutex);
    if (!lineActive) {
        PrintRaw(bytes, toStandardError);
        return;
    }
    if (!toolMidLine)
        PrintRaw(kEraseLine, false);
    PrintRaw(bytes, toStandardError);
    toolMidLine = !bytes.endsWith('\n');
    if (!toolMidLine && !shownLine.isEmpty())
        PrintRaw(shownLine, false);
}

ProgressLine::ProgressLine(JobRunner& runner)
{
    if (!::isatty(STDOUT_FILENO))
        return;
    {
        QMutexLocker lock(&lineMutex);
        lineActive = true;
        lineWords = {LoadStringById(StringId::RunProgressOffsite), LoadStringById(StringId::RunProgressOf),
            LoadStringById(StringId::RunProgressLeft)};
        shownLine.clear();
        toolMidLine = false;
    }
    // On the job's thread, in order with the tool's output.
    m_connection = QObject::connect(
        &runner, &JobRunner::progress, &runner,
        [](const JobProgress& progress) {
            QMutexLocker lock(&lineMutex);
            // Each set's first value starts its own line below the one before; the summary line has ended that.
            shownLine = kEraseLine + lineOf(progress);
            if (!toolMidLine)
                PrintRaw(shownLine, false);
        },
        Qt::DirectConnection);
}

ProgressLine::~ProgressLine()
{
    QObject::disconnect(m_connection);
    QMutexLocker lock(&lineMutex);
    lineActive = false;
    shownLine.clear();
}
