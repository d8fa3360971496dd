#include "ConsoleRunner.h"

#include "KeptLogStream.h"
#include "LastRun.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

#include <algorithm>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace {

// How long output on the stream not being followed may wait to be taken in (see OutputWaiter).
constexpr int kQuietWaitMs = 50;
constexpr int kPipeBytes = 1 << 20;
// A cut moves at most this far to fall on a line's start or end.
constexpr qsizetype kLineSearchBytes = qsizetype(64) * 1024;

bool isContinuationByte(char byte)
{
    return (uchar(byte) & 0xC0) == 0x80;
}

// The longest start of the bytes that ends with a whole UTF-8 character.
qsizetype wholeCharsLength(QByteArrayView bytes)
{
    qsizetype lead = bytes.size();
    while (lead > 0 && bytes.size() - lead < 4 && isContinuationByte(bytes.at(lead - 1)))
        --lead;
    if (lead == 0)
        return bytes.size();
    const uchar first = uchar(bytes.at(lead - 1));
    const qsizetype length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    return lead - 1 + length > bytes.size() ? lead - 1 : bytes.size();
}

// One output stream of a run: every byte goes to the last run's file as it comes (to a set's kept log only
// its first and last part and its warning and error lines) and every line to the observer; memory keeps only
// the stream's first and last part.
class StreamKeeper
{
public:
    // keepTail: the stream's last part is kept besides its first.
    StreamKeeper(
        bool secondStream, const RunLineObserver& observer, qsizetype partBytes, const RunOutput& output, bool keepTail)
        : m_secondStream(secondStream)
        , m_partBytes(std::max<qsizetype>(partBytes, 1))
        , m_keepTail(keepTail)
        , m_observer(observer)
    {
        if (output.file == RunOutput::File::None) {
            m_noFile = true;
            // A program that passes every byte on (velmora-run) has it whole there.
            if (output.listener)
                m_fileError = QCoreApplication::translate("LastRun", "the output was passed on whole as it came");
            return;
        }
        const RunOutputFile kind = OpenLastRunOutput(m_file, secondStream,
            output.file == RunOutput::File::KeptLog ? output.keptLogPath : QString(), m_fileError);
        m_fileOpen = kind != RunOutputFile::None;
        if (kind == RunOutputFile::KeptLog)
            m_keptLog.emplace(m_file, secondStream);
    }

    qint64 leftOut() const { return m_total - m_head.size() - qsizetype(std::min<qint64>(m_ringWritten, m_partBytes)); }

    // The kept bytes as they came, the head and the tail joined where something was left out (leftOut()).
    QByteArray finishBytes()
    {
        finishFileAndLines();
        return m_head + tailBytes();
    }

    void add(const QByteArray& bytes)
    {
        if (bytes.isEmpty())
            return;
        m_total += bytes.size();
        writeToFile(bytes);
        QByteArrayView rest(bytes);
        if (m_head.size() < m_partBytes) {
            const qsizetype taken = qMin(rest.size(), m_partBytes - m_head.size());
            m_head.append(rest.first(taken));
            rest = rest.sliced(taken);
        }
        keepInTail(rest);
        if (m_observer)
            passLines(bytes);
    }

    // The kept text, with a line where something was left out; hands the observer the last partial line.
    QString finish()
    {
        finishFileAndLines();
        const QByteArray tail = tailBytes();
        if (m_total == m_head.size() + tail.size())
            return QString::fromUtf8(m_head + tail);
        // The head ends and the tail starts at a line break when one is near, else between characters.
        QByteArrayView head(m_head);
        const qsizetype lineEnd = head.lastIndexOf('\n');
        head = lineEnd >= 0 && head.size() - lineEnd <= kLineSearchBytes ? head.first(lineEnd + 1)
                                                                         : head.first(wholeCharsLength(head));
        QByteArrayView kept(tail);
        const qsizetype lineStart = kept.indexOf('\n');
        if (lineStart >= 0 && lineStart < kLineSearchBytes) {
            kept = kept.sliced(lineStart + 1);
        } else {
            while (!kept.isEmpty() && isContinuationByte(kept.front()))
                kept = kept.sliced(1);
        }
        const QString leftOut = QString::number(m_total - head.size() - kept.size());
        const QString file = LastRunOutputPath(m_secondStream);
        const QString cutLine = m_noFile && m_fileError.isEmpty()
            ? LoadStringById(StringId::OutputBytesLeftOutNoFile).arg(leftOut)
            : !m_fileOpen ? LoadStringById(StringId::OutputNotKept).arg(leftOut, file, m_fileError)
            : m_keptLog   ? LoadStringById(StringId::OutputBytesLeftOutOfKeptLog).arg(leftOut, file)
                          : LoadStringById(StringId::OutputBytesLeftOut).arg(leftOut, file);
        QString text = QString::fromUtf8(head);
        if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
            text += QLatin1Char('\n');
        return text + cutLine + QLatin1Char('\n') + QString::fromUtf8(kept);
    }

private:
    void finishFileAndLines()
    {
        if (m_keptLog && m_fileOpen && !m_keptLog->finish())
            fileFailed();
        if (m_observer) {
            if (!m_pending.isEmpty())
                m_observer(m_pending, m_secondStream);
            m_pending.clear();
        }
    }

    // A full disk or a missing cache folder loses only the file, never the backup.
    void writeToFile(const QByteArray& bytes)
    {
        if (!m_fileOpen)
            return;
        if (m_keptLog ? m_keptLog->add(bytes) : m_file.write(bytes) == bytes.size())
            return;
        fileFailed();
    }

    void fileFailed()
    {
        m_fileError = m_file.errorString();
        m_fileOpen = false;
        m_file.close();
    }

    // The tail is a ring of the last bytes, so keeping it costs one copy of each byte however much comes.
    void keepInTail(QByteArrayView bytes)
    {
        if (bytes.isEmpty() || !m_keepTail)
            return;
        if (m_ring.isEmpty())
            m_ring.resize(m_partBytes);
        if (bytes.size() > m_partBytes) {
            m_ringWritten += bytes.size() - m_partBytes;
            bytes = bytes.last(m_partBytes);
        }
        const qsizetype position = qsizetype(m_ringWritten % m_partBytes);
        const qsizetype first = qMin(bytes.size(), m_partBytes - position);
        std::copy_n(bytes.data(), first, m_ring.data() + position);
        std::copy_n(bytes.data() + first, bytes.size() - first, m_ring.data());
        m_ringWritten += bytes.size();
    }

    QByteArray tailBytes() const
    {
        if (m_ringWritten <= m_partBytes)
            return m_ring.first(qsizetype(m_ringWritten));
        const qsizetype position = qsizetype(m_ringWritten % m_partBytes);
        return m_ring.sliced(position) + m_ring.first(position);
    }

    void passLines(const QByteArray& bytes)
    {
        // Decoded into one reused buffer: no allocation per line, and a character split between two reads
        // is put together by the decoder.
        const qsizetype start = m_pending.size();
        m_pending.resize(start + m_decoder.requiredSpace(bytes.size()));
        QChar* const end = m_decoder.appendToBuffer(m_pending.data() + start, bytes);
        m_pending.truncate(end - m_pending.constData());
        const QStringView text(m_pending);
        qsizetype lineStart = 0;
        for (qsizetype lineEnd; (lineEnd = text.indexOf(QLatin1Char('\n'), lineStart)) >= 0; lineStart = lineEnd + 1) {
            QStringView line = text.sliced(lineStart, lineEnd - lineStart);
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            m_observer(line, m_secondStream);
        }
        // A line without end must not grow without bound.
        while (text.size() - lineStart >= kRunLinePieceChars) {
            qsizetype length = kRunLinePieceChars;
            if (text.at(lineStart + length - 1).isHighSurrogate())
                --length;
            m_observer(text.sliced(lineStart, length), m_secondStream);
            lineStart += length;
        }
        m_pending.remove(0, lineStart);
    }

    const bool m_secondStream;
    const qsizetype m_partBytes;
    const bool m_keepTail;
    const RunLineObserver& m_observer;
    qint64 m_total = 0;
    QByteArray m_head;
    QByteArray m_ring;
    qint64 m_ringWritten = 0;
    QFile m_file;
    bool m_fileOpen = false;
    // Not meant to go to a file at all.
    bool m_noFile = false;
    std::optional<KeptLogStream> m_keptLog;
    QString m_fileError;
    QStringDecoder m_decoder {QStringDecoder::Utf8};
    QString m_pending;
};

QString startFailure(const Command& command, const QProcess& process)
{
    const QFileInfo program(command.program);
    // The job puts these after the tool's name: "7zz could not be run: ...".
    if (command.program.isEmpty())
        return QCoreApplication::translate("ConsoleRunner", "no program was given.");
    if (program.isAbsolute() && !program.exists())
        return QCoreApplication::translate("ConsoleRunner", "%1 does not exist.").arg(command.program);
    if (program.isAbsolute() && (!program.isFile() || !program.isExecutable()))
        return QCoreApplication::translate("ConsoleRunner", "%1 is not an executable program.").arg(command.program);
    if (!command.workingFolder.isEmpty() && !QFileInfo(command.workingFolder).isDir())
        return QCoreApplication::translate("ConsoleRunner", "its working folder %1 does not exist.")
            .arg(command.workingFolder);
    return QCoreApplication::translate("ConsoleRunner", "the system could not start it (%1).")
        .arg(process.errorString());
}

// Waits for the tool's output and returns as soon as it has written something, so that it is passed on in
// pieces of a pipe's size rather than gathered in memory. QProcess wakes early only for its current read
// channel; that channel follows the stream the tool writes to, the other one is taken in every so often.
class OutputWaiter
{
public:
    // Hands on what each stream has brought since the last call; the progress on standard output goes to
    // the reader, which gives back the rest.
    void take(QProcess& process, StreamKeeper& output, StreamKeeper& secondOutput, const RunOutputListener& listener,
        ToolOutputReader* reader = nullptr)
    {
        QByteArray fresh = process.readAllStandardOutput();
        if (reader && !fresh.isEmpty())
            fresh = reader->feed(fresh);
        const QByteArray freshSecond = process.readAllStandardError();
        if (listener) {
            if (!fresh.isEmpty())
                listener(fresh, false);
            if (!freshSecond.isEmpty())
                listener(freshSecond, true);
        }
        output.add(fresh);
        secondOutput.add(freshSecond);
        if (fresh.isEmpty() != freshSecond.isEmpty())
            follow(process, fresh.isEmpty() ? QProcess::StandardError : QProcess::StandardOutput);
    }

    void wait(QProcess& process)
    {
        QElapsedTimer waited;
        waited.start();
        if (process.waitForReadyRead(kQuietWaitMs) || process.state() == QProcess::NotRunning)
            return;
        if (waited.elapsed() >= kQuietWaitMs / 2)
            return;
        // False at once: the tool has closed the channel.
        const auto channel = QProcess::ProcessChannel(process.currentReadChannel());
        m_closed[channel] = true;
        const QProcess::ProcessChannel other
            = channel == QProcess::StandardOutput ? QProcess::StandardError : QProcess::StandardOutput;
        // Not without end: a stop asked for meanwhile is looked at between the waits.
        if (m_closed[other])
            process.waitForFinished(kQuietWaitMs);
        else
            follow(process, other);
    }

private:
    void follow(QProcess& process, QProcess::ProcessChannel channel)
    {
        if (!m_closed[channel] && process.currentReadChannel() != channel)
            process.setCurrentReadChannel(channel);
    }

    bool m_closed[2] = {false, false};
};

} // namespace

RunResult ExecuteCommand(const Command& command, const RunLineObserver& lineObserver, const RunControl* control,
    const RunProgressObserver& progressObserver, const RunOutput& runOutput)
{
    RunResult result;
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    if (!command.workingFolder.isEmpty())
        process.setWorkingDirectory(command.workingFolder);
    // A tool that asks a question reads end of file instead of waiting for an answer nobody can give.
    const bool feedsInput = !command.standardInput.isEmpty();
    if (!feedsInput)
        process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessEnvironment(ToolEnvironment());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    // Larger pipes let a fast tool write on while this side passes its output on, and let one read here
    // take more at a time. Where the system refuses, the pipes keep their size.
    process.setChildProcessModifier([] {
        fcntl(STDOUT_FILENO, F_SETPIPE_SZ, kPipeBytes);
        fcntl(STDERR_FILENO, F_SETPIPE_SZ, kPipeBytes);
    });
    process.start(feedsInput ? QIODevice::ReadWrite : QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        result.error = startFailure(command, process);
        return result;
    }
    if (feedsInput) {
        // A few lines fit the pipe whole: written before the output is read, they never wait for the tool.
        process.write(command.standardInput);
        process.waitForBytesWritten(-1);
        process.closeWriteChannel();
    }
    const RunOutputListener& listener = runOutput.listener;
    // Output its caller parses is of no use in part: only its start is kept, to say how far it got.
    StreamKeeper output(false, lineObserver, command.resultPartBytes, runOutput, !runOutput.keepBytes);
    StreamKeeper secondOutput(true, lineObserver, command.resultPartBytes, runOutput, true);
    std::optional<ToolOutputReader> reader;
    if (command.progress != ProgressFormat::None)
        reader.emplace(command.progress);
    QElapsedTimer sinceStart;
    sinceStart.start();
    ToolOutputReader* const progressReader = reader ? &*reader : nullptr;
    auto passProgress = [&] {
        if (reader && reader->takeChanged() && progressObserver)
            progressObserver(reader->reading(), sinceStart.elapsed());
    };
    // Waiting drains both pipes as data comes, so the tool never blocks on a full pipe however much it writes.
    OutputWaiter waiter;
    // While it waits for the stream it follows, QProcess reads the other one too, into a buffer of its own that
    // a tool flooding that stream would fill without end: each piece is taken as soon as it has been read.
    bool taking = false;
    const auto takeNow = [&] {
        if (std::exchange(taking, true))
            return;
        waiter.take(process, output, secondOutput, listener, progressReader);
        taking = false;
    };
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, takeNow);
    QObject::connect(&process, &QProcess::readyReadStandardError, &process, takeNow);
    QElapsedTimer sinceTerminate;
    while (process.state() != QProcess::NotRunning) {
        waiter.take(process, output, secondOutput, listener, progressReader);
        passProgress();
        if (control && control->shouldStop()) {
            // The tool gets the chance to remove what it half wrote; one that ignores it is killed.
            if (!sinceTerminate.isValid()) {
                result.stopped = true;
                result.stopReason = control->stopReason();
                process.terminate();
                sinceTerminate.start();
            } else if (sinceTerminate.elapsed() >= kStopGraceMs) {
                process.kill();
            }
        }
        waiter.wait(process);
    }
    waiter.take(process, output, secondOutput, listener, progressReader);
    if (reader) {
        const QByteArray rest = reader->finish();
        if (listener && !rest.isEmpty())
            listener(rest, false);
        output.add(rest);
    }
    passProgress();
    result.outputLeftOut = output.leftOut();
    result.secondOutputLeftOut = secondOutput.leftOut();
    if (runOutput.keepBytes)
        result.outputBytes = output.finishBytes();
    else
        result.output = output.finish();
    result.secondOutput = secondOutput.finish();
    if (process.exitStatus() == QProcess::CrashExit) {
        result.exitSignal = process.exitCode();
        result.error
            = QCoreApplication::translate("ConsoleRunner", "it was ended by signal %1.").arg(process.exitCode());
        return result;
    }
    result.exitCode = process.exitCode();
    return result;
}

QProcessEnvironment ToolEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    auto isUtf8 = [](const QString& locale) {
        const QString lower = locale.toLower();
        return lower.contains(QLatin1String("utf-8")) || lower.contains(QLatin1String("utf8"));
    };
    // The character set that rules is the first of these that is set, as the C library reads them.
    const QString all = environment.value(QStringLiteral("LC_ALL"));
    const QString ctype = environment.value(QStringLiteral("LC_CTYPE"));
    const QString lang = environment.value(QStringLiteral("LANG"));
    const QString ruling = !all.isEmpty() ? all : !ctype.isEmpty() ? ctype : lang;
    if (isUtf8(ruling))
        return environment;
    // A password typed with Cyrillic letters must turn into the same key whatever locale a run starts in, and
    // names are read and written as UTF-8 everywhere else.
    if (!all.isEmpty())
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    else
        environment.insert(QStringLiteral("LC_CTYPE"), QStringLiteral("C.UTF-8"));
    return environment;
}
