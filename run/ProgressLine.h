#pragma once

// velmora-run's progress on a terminal: one line for each set, redrawn in place as the tool works, with the
// tool's own output passed on above it. Where standard output is no terminal (cron, systemd) there is no
// line, and the tool's output goes on as it came.

#include <QByteArray>
#include <QMetaObject>

class JobRunner;

// Passes a tool's output on, above the progress line while one is shown.
void PrintToolOutput(const QByteArray& bytes, bool toStandardError);

class ProgressLine
{
public:
    // Follows the runner's progress for as long as this object lives, if standard output is a terminal.
    explicit ProgressLine(JobRunner& runner);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

private:
    QMetaObject::Connection m_connection;
};
