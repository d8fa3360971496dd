#include "RestoreJob.h"

JobResult RunRestoreJob(const RestoreRequest&, const JobContext&)
{
    return {JobOutcome::Refused, QString(), 0, QString(), QString()};
}

QString RestoreTargetProblem(const QString&)
{
    return {};
}
