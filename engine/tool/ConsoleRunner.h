#pragma once

// Runs an outside program without a shell, with its standard input closed (after the command's few lines), reads both
// of its output streams at once, waits for it and hands back its exit code and texts.

#include "Command.h"
#include "ToolProgress.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QStringView>

#include <atomic>
#include <functional>

// How much of each stream a result keeps in memory unless the command says otherwise (Command::resultPartBytes):
// its first and its last part. The last run's output files (LastRun.h) keep more, and one line in the text says
// where and how much was left out.
inline constexpr qsizetype kRunTextHeadBytes = kDefaultResultPartBytes;
inline constexpr qsizetype kRunTextTailBytes = kDefaultResultPartBytes;
// A line longer than this many characters reaches the line observer in pieces of this length.
inline constexpr qsizetype kRunLinePieceChars = 1 << 20;

enum class RunStopReason
{
    None,
    // Someone asked (the user's Stop, a signal to the program).
    Asked,
    TimeLimit,
};

struct RunResult
{
    int exitCode = -1;
    // Each stream's first and last part, see above.
    QString output;
    QString secondOutput;
    // Why the program could not be started, or that it was ended by a signal; empty when it ran and exited.
    QString error;
    // The signal that ended the program, 0 when it exited by itself or never ran.
    int exitSignal = 0;
    // The run was ended through its RunControl; exitSignal then is the signal that ended it.
    bool stopped = false;
    // Why it was ended so; None when it was not.
    RunStopReason stopReason = RunStopReason::None;
    // With RunOutput::keepBytes, standard output's first and last part as the tool wrote them; output is empty then.
    QByteArray outputBytes;
    // How many bytes of each stream the result left out between their first and last part.
    qint64 outputLeftOut = 0;
    qint64 secondOutputLeftOut = 0;
};

// Lets another thread end a run: the program is asked to end (SIGTERM) and killed when it has not after a
// grace time. A deadline ends the run the same way once it has passed. One control may serve several runs
// in a row (the sets of one run of all sets); a stop asked for stays asked until reset().
class RunControl
{
public:
    using Reason = RunStopReason;

    RunControl() = default;
    // A control of its own (a deadline for one step) that also ends the run when the outer one would.
    explicit RunControl(const RunControl* outer)
        : m_outer(outer)
    {
    }

    void requestStop() { m_asked.store(true); }
    void setDeadline(QDeadlineTimer deadline) { m_deadline = deadline; }
    void reset()
    {
        m_asked.store(false);
        m_deadline = QDeadlineTimer(QDeadlineTimer::Forever);
    }
    // Why the run is to end; None while it may go on.
    Reason stopReason() const
    {
        if (m_outer) {
            if (const Reason outer = m_outer->stopReason(); outer != Reason::None)
                return outer;
        }
        if (m_asked.load())
            return Reason::Asked;
        return m_deadline.hasExpired() ? Reason::TimeLimit : Reason::None;
    }
    bool shouldStop() const { return stopReason() != Reason::None; }

private:
    const RunControl* const m_outer = nullptr;
    std::atomic<bool> m_asked {false};
    // Set before the run starts and only read while it runs.
    QDeadlineTimer m_deadline {QDeadlineTimer::Forever};
};

// How long a program asked to end may take before it is killed.
inline constexpr int kStopGraceMs = 3000;

// Sees every line the program writes, without its line end, also those the result's texts leave out, and
// the last one also when it has no line end; called on the thread that runs the program.
using RunLineObserver = std::function<void(QStringView line, bool secondStream)>;

// Sees what the program's own progress report says each time it has changed, with the milliseconds since
// the program started; only for a command with a progress format.
using RunProgressObserver = std::function<void(const ToolReading& reading, qint64 msecs)>;

// Receives a running program's output as it comes (secondStream for its standard error), as raw bytes but
// for the progress redraws; called on the thread that runs the program. A terminal program uses it to show a
// tool's progress while it works.
using RunOutputListener = std::function<void(const QByteArray& bytes, bool secondStream)>;

// Where one run's output goes besides its result, chosen by whoever starts the run.
struct RunOutput
{
    enum class File
    {
        // Each stream's own last-run file below the user's cache folder, every byte.
        LastRun,
        // A set's kept log (keptLogPath): both streams added to it, a bounded part of each (KeptLogStream.h).
        KeptLog,
        // No file: output only the caller reads (a listing, a secret), or one passed on whole elsewhere.
        None,
    };
    File file = File::LastRun;
    QString keptLogPath;
    RunOutputListener listener;
    // The result keeps standard output as the bytes the tool wrote (RunResult::outputBytes) instead of text:
    // for output the caller parses, where a line saying what was cut would only be misread.
    bool keepBytes = false;
};

// A command with a progress format has its progress redraws taken out of everything its output goes to
// (the result's texts, the output file, the line observer and the output listener).
RunResult ExecuteCommand(const Command& command, const RunLineObserver& lineObserver = {},
    const RunControl* control = nullptr, const RunProgressObserver& progressObserver = {},
    const RunOutput& output = {});

// The environment every tool runs in: this process's, with a UTF-8 character set where its locale has none.
QProcessEnvironment ToolEnvironment();
