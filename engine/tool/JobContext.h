#pragma once

// What a job gets from the runner that carries it out (its log, Stop, the time limit, progress), and running a
// tool under it, so that every job's tools stop, time out and keep their output the same way.

#include "Command.h"
#include "ConsoleRunner.h"
#include "JobProgress.h"
#include "ToolProgress.h"

#include <QString>

#include <chrono>
#include <functional>

// What a job's steps get from the runner that carries them out.
struct JobContext
{
    // Marks the job's output in a log shared by several sets; empty for a run of one set.
    QString logHeading;
    // Where the job's tools write their output besides the result: the set's kept log, a listener.
    RunOutput output;
    // Asks the job's tool to end; never nullptr while a job runs.
    const RunControl* control = nullptr;
    // For the result of a run past its time limit.
    std::chrono::seconds timeLimit {0};
    // Called when the tool is done and the job starts putting its output in place.
    std::function<void()> copying;
    // Receives how far the tool is, on the job's thread; may be empty.
    std::function<void(const JobProgress&)> progress;
    std::chrono::milliseconds progressInterval = kProgressInterval;
    // Which set of the run this job is, counted from 1.
    int setIndex = 1;
    int setCount = 1;
};

// How much of the start and of the end of each stream a job's tool run keeps in memory (its texts); enough for
// 7-Zip's closing list of a few thousand files it could not read.
inline constexpr qsizetype kJobTextPartBytes = qsizetype(256) * 1024;
// Runs the command under the job's control, passes its progress on and keeps its texts for the log; a runner
// error leaves no output worth showing.
RunResult RunJobTool(const Command& toolCommand, const JobContext& context);
QString ToolName(const Command& command);
