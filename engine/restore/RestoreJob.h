#pragma once

// Rebuilds a set's source as of one restore point into a folder of the user's choice, or over the source
// itself. The tool writes into a hidden staging folder beside the target, which becomes the target by one
// rename only once it is complete: a failed, stopped or disk-full restore leaves the target as it was. Over
// the source, each restored file is renamed into place instead, what it replaces goes to the trash, and all of
// it is put back on failure.

#include "JobContext.h"
#include "JobOutcome.h"
#include "RestorePoints.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <optional>

struct RestoreRequest
{
    // The points of one set or archive, as RestorePointsOf gives them, and the one to restore.
    QList<RestorePoint> points;
    int index = 0;
    // The folder to restore into: it must not exist, or be empty.
    QString target;
    // Files and folders relative to the source to restore, with what they hold; empty for everything.
    QStringList paths;
    // Restore over the folder in target, the set's source, which must exist: the files of the chosen paths (or of
    // all it holds) are put back as of the point, and everything else in it stays as it is. What they replace
    // goes to the desktop's trash, so the restore can be undone by hand.
    bool overOriginal = false;
    // Over the source: also move to the trash what the chosen paths hold on disk that the point does not. Without
    // it those files stay where they are.
    bool removeOthers = false;
    // For a mirror's point: its files as they were at that time, from the versions its runs kept beside it;
    // invalid for the mirror as it is.
    QDateTime mirrorAsOf {};
};

// What a restore over the source would do to it, in files (links count as files, folders do not).
struct OriginalRestorePreview
{
    // Files on disk that the restore replaces with the point's version: those that differ in kind, size or
    // modification time (to the second), and those in the way of an entry of another kind in the point.
    qint64 overwritten = 0;
    // Files of the point that are on disk with its size and time. The restore leaves them where they are when
    // their bytes and rights are the backup's too, and otherwise replaces them, the old one into the trash.
    qint64 unchanged = 0;
    // Files of the point missing on disk.
    qint64 added = 0;
    // Files on disk inside the chosen paths (everywhere when none are chosen) that the point does not hold:
    // left where they are unless the restore removes them.
    qint64 notInBackup = 0;
    // Files on disk outside the chosen paths: left as they are.
    qint64 left = 0;
    // The files the restore moves to the trash (the overwritten ones) and those not in the backup, relative to the
    // source and sorted.
    QStringList replacedPaths;
    QStringList notInBackupPaths;
};

// Compares the state as of a point (as StateAsOf gives it) within the chosen paths with the source folder as
// it is now, without extracting anything. Symbolic links on disk are compared as links, never followed.
// Nothing, with the reason in error, when the source cannot take a restore over it or cannot be read.
std::optional<OriginalRestorePreview> PreviewOriginalRestore(
    const QList<StateEntry>& state, const QString& source, const QStringList& paths, QString* error = nullptr);

// Why a restore cannot go over the source folder (it is missing or not a folder); empty when it can.
QString OriginalRestoreProblem(const QString& source);

// Tests only: called with each restored path just before it is renamed into the source; a text
// it returns fails the restore there, as a failed rename would. An empty function removes it.
void SetOriginalSwapHook(std::function<QString(const QString& path)> hook);

// Restores on the calling thread under the context's control (Stop, time limit, progress). A zip chain's
// result warns that its update archives cannot record deletions.
JobResult RunRestoreJob(const RestoreRequest& request, const JobContext& context);

// Removes the staging folders in folder that restores killed outright left behind: only those whose marker
// names a process of this computer that is gone. The next restore into the folder calls it.
void RemoveRestoreLeftovers(const QString& folder);
// Tests only: the name of the marker file inside a staging folder.
QString RestoreStagingMarkerName();
// What a restore running in process pid writes into that marker.
QByteArray RestoreStagingMarker(qint64 pid);

// Why the target cannot take a restore (it holds something, or is not a folder); empty when it can.
QString RestoreTargetProblem(const QString& target);
