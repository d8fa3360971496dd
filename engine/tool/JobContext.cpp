#include "JobContext.h"

#include "LastRun.h"
#include "ToolProgress.h"

#include <QFileInfo>

#include <algorithm>

namespace {

RunResult keepTexts(RunResult run, const JobContext& context)
{
    if (!run.error.isEmpty()) {
        run.output.clear();
        run.secondOutput.clear();
    }
    AppendLastRunTexts(context.logHeading, {run.output, run.secondOutput, run.error});
    return run;
}

} // namespace

RunResult RunJobTool(const Command& toolCommand, const JobContext& context)
{
    // The texts go to the window's log of the last run, and the set's kept log has more: a tool that prints
    // hundreds of megabytes must not take the memory of the program that waits for it.
    Command command = toolCommand;
    command.resultPartBytes = std::min(command.resultPartBytes, kJobTextPartBytes);
    if (!context.progress || command.progress == ProgressFormat::None)
        return keepTexts(ExecuteCommand(command, {}, context.control, {}, context.output), context);
    ProgressMeter meter(context.progress, context.setIndex, context.setCount, context.progressInterval);
    meter.start();
    RunResult run = ExecuteCommand(
        command, {}, context.control,
        [&meter](const ToolReading& reading, qint64 msecs) { meter.update(reading, msecs); }, context.output);
    meter.finish();
    return keepTexts(std::move(run), context);
}

QString ToolName(const Command& command)
{
    return QFileInfo(command.program).fileName();
}
