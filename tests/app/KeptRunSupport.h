#pragma once

// Kept logs of a set's runs made as a job makes them, for the log viewer's tests.

#include "LastRun.h"
#include "RunLogs.h"

#include <QFile>

// A run of the set that printed output and ended so; the path of its log. Without an outcome the run is
// still going.
inline QString keepRun(quint32 setId, const QByteArray& output, std::optional<JobOutcome> outcome, int exitCode = 0)
{
    const QString path = BeginRunLog(setId);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(output);
    file.close();
    if (!outcome)
        return path;
    return EndRunLog(setId, path, JobResult(*outcome, QStringLiteral("Set"), exitCode, {}, {}));
}
