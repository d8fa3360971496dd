#include "OffsiteStep.h"

#include "LastRun.h"
#include "OffsiteTools.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QFileInfo>

#include <algorithm>

OffsiteStep::OffsiteStep(
    const OffsiteTarget& target, const JobContext* context, const RunControl* control, std::chrono::seconds timeLimit)
    : m_target(target)
    , m_context(context)
    , m_control(control)
    , m_timeLimit(timeLimit)
{
    m_clock.start();
    if (m_context && m_context->progress) {
        m_meter.emplace(
            [this](const JobProgress& progress) {
                JobProgress marked = progress;
                marked.offsite = true;
                m_context->progress(marked);
            },
            m_context->setIndex, m_context->setCount, m_context->progressInterval);
    }
}

void OffsiteStep::startProgress(qint64 totalBytes)
{
    m_totalBytes = totalBytes;
    m_bytesBefore = 0;
    if (m_meter)
        m_meter->start();
}

void OffsiteStep::finishProgress()
{
    if (m_meter) {
        ToolReading done;
        done.percent = 100;
        done.bytesDone = m_totalBytes > 0 ? m_totalBytes : -1;
        done.bytesTotal = m_totalBytes > 0 ? m_totalBytes : -1;
        m_meter->update(done, m_clock.elapsed());
        m_meter->finish();
    }
}

RunResult OffsiteStep::run(const Command& command, qint64 bytes, bool ownFigures)
{
    const bool counted = m_meter && ((bytes > 0 && m_totalBytes > 0) || ownFigures);
    auto report = [this, bytes, ownFigures](int percent, qint64 done, const QString& file) {
        if (ownFigures) {
            ToolReading reading;
            reading.percent = percent;
            reading.bytesDone = done;
            reading.currentFile = file;
            m_meter->update(reading, m_clock.elapsed());
            return;
        }
        ToolReading overall;
        const qint64 callDone = done >= 0 ? std::min(done, bytes) : percent >= 0 ? bytes * percent / 100 : 0;
        overall.bytesDone = m_bytesBefore + callDone;
        overall.bytesTotal = m_totalBytes;
        overall.percent = int(std::min<qint64>(overall.bytesDone * 100 / m_totalBytes, 99));
        overall.currentFile = file;
        m_meter->update(overall, m_clock.elapsed());
    };
    RunLineObserver lines;
    RunProgressObserver progress;
    if (counted && command.progress == ProgressFormat::Rsync) {
        progress = [&report](const ToolReading& reading, qint64) {
            report(reading.percent, reading.bytesDone, reading.currentFile);
        };
    } else if (counted) {
        // rclone reports on its error output, one line a second.
        lines = [&report](QStringView line, bool secondStream) {
            const int percent = secondStream ? RclonePercent(line) : -1;
            if (percent >= 0)
                report(percent, -1, {});
        };
    }
    RunResult result
        = ExecuteCommand(command, lines, m_control, progress, m_context ? m_context->output : RunOutput {});
    if (counted)
        m_bytesBefore += bytes;
    if (!result.error.isEmpty()) {
        result.output.clear();
        result.secondOutput.clear();
    }
    if (m_context)
        AppendLastRunTexts(m_context->logHeading, {result.output, result.secondOutput, result.error});
    return result;
}

std::optional<OffsiteOutcome> OffsiteStep::stopped(const RunResult& run) const
{
    const RunControl::Reason reason = m_control ? m_control->stopReason() : RunControl::Reason::None;
    if (reason == RunControl::Reason::TimeLimit)
        return OffsiteFailure(
            OffsiteCause::TimedOut, LoadStringById(StringId::OffsiteTimedOut).arg(m_timeLimit.count()));
    if (reason == RunControl::Reason::Asked || run.stopped)
        return OffsiteFailure(OffsiteCause::Stopped, LoadStringById(StringId::OffsiteStopped));
    return std::nullopt;
}

OffsiteOutcome OffsiteStep::failed(const Command& command, const RunResult& run) const
{
    if (const auto stop = stopped(run))
        return *stop;
    return ClassifyOffsiteFailure(QFileInfo(command.program).fileName(), run, m_target);
}
