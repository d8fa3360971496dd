#pragma once

// Rebuilds a set's source as of one restore point into a folder of the user's choice. The tool writes into a
// hidden staging folder beside the target, which becomes the target by one rename only once it is complete:
// a failed, stopped or disk-full restore leaves the target as it was.

#include "JobChecks.h"
#include "JobOutcome.h"
#include "RestorePoints.h"

#include <QStringList>

struct RestoreRequest
{
    // The points of one set or archive, as RestorePointsOf gives them, and the one to restore.
    QList<RestorePoint> points;
    int index = 0;
    // The folder to restore into: it must not exist, or be empty.
    QString target;
    // Files and folders relative to the source to restore, with what they hold; empty for everything.
    QStringList paths;
};

// Restores on the calling thread under the context's control (Stop, time limit, progress). A zip chain's
// result warns that its update archives cannot record deletions.
JobResult RunRestoreJob(const RestoreRequest& request, const JobContext& context);

// Removes the staging folders in folder that restores killed outright left behind: only those whose marker
// names a process of this computer that is gone. The next restore into the folder calls it.
void RemoveRestoreLeftovers(const QString& folder);
// The name of the marker file inside a staging folder, and what a restore running in process pid writes
// into it.
QString RestoreStagingMarkerName();
QByteArray RestoreStagingMarker(qint64 pid);

// Why the target cannot take a restore (it holds something, or is not a folder); empty when it can.
QString RestoreTargetProblem(const QString& target);
