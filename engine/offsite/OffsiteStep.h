#pragma once

// One off-site step: runs its tools under the job's control with their output in the job's log, and reports how
// far it is over all its copies together. What the tools are and what they are told is the transport's.

#include "ConsoleRunner.h"
#include "JobContext.h"
#include "OffsiteOutcome.h"
#include "OffsiteTarget.h"
#include "OffsiteTools.h"
#include "ToolProgress.h"

#include <QElapsedTimer>

#include <chrono>
#include <optional>

class OffsiteStep
{
public:
    OffsiteStep(const OffsiteTarget& target, const JobContext* context, const RunControl* control,
        std::chrono::seconds timeLimit);

    const OffsiteTarget& target() const { return m_target; }
    bool isSsh() const { return m_target.isSsh(); }
    QString where() const { return OffsiteWhere(m_target); }

    void startProgress(qint64 totalBytes);
    void finishProgress();

    // Runs the command; bytes is what it copies, counted in the step's progress. With ownFigures the tool's
    // own figures are the step's progress (one run that does all of the step).
    RunResult run(const Command& command, qint64 bytes = 0, bool ownFigures = false);

    // The outcome of a run that ended by the control, else nothing.
    std::optional<OffsiteOutcome> stopped(const RunResult& run) const;
    std::optional<OffsiteOutcome> stoppedBeforeStart() const { return stopped(RunResult()); }

    // Why a run failed: the control, or the tool's words.
    OffsiteOutcome failed(const Command& command, const RunResult& run) const;

private:
    OffsiteTarget m_target;
    const JobContext* m_context;
    const RunControl* m_control;
    std::chrono::seconds m_timeLimit;
    std::optional<ProgressMeter> m_meter;
    QElapsedTimer m_clock;
    qint64 m_totalBytes = 0;
    qint64 m_bytesBefore = 0;
};
