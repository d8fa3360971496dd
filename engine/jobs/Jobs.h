#pragma once

// Starting backup jobs and carrying them out: the archive job, the mirror job and the run of every
// set. Jobs work on their own copy of a set, talk to the window only through the job events and the
// message interface, and only one runs at a time in the whole program.

#include "JobOutcome.h"

#include "BackupSet.h"

#include <QtGlobal>

#include <optional>

// The set the current window command works on; 0 when there is none.
extern quint32 g_selectedSetId;

// Asks to run the set of g_selectedSetId and starts its job in a worker thread. Returns whether a job
// was started.
bool RunBackupSet();
// Starts the run of every set in a worker thread; false when a job is already running.
bool StartUpdateAll();

// The job procedures, run on the calling thread; each refuses while another job runs.
JobResult ArchiveJob(quint32 id);
JobResult MirrorJob(quint32 id);
// The job of the set's own backup type.
JobResult RunSetJob(quint32 id);
// Every set in collection order, each by its backup type; one report at the end lists the failures.
QList<JobResult> UpdateAllJob();

// What stops the set's archive job before it starts, checked in the order a user would fix it: paths,
// archive name and type, source and destination folders, a destination on another disk than the set
// remembers (an empty source asks the message interface), and too little free space for the run.
// A dry run makes the same checks.
std::optional<JobResult> ArchiveSetProblem(const BackupSet& set);
// The same for a mirror set: rsync, paths, folders and the disk, a mirror folder that is, holds or lies in the
// source, and free space.
std::optional<JobResult> MirrorSetProblem(const BackupSet& set);

// Writes how the run of the set went into its file (the LastResult keys), and today's date as its last run
// when the backup was made, with or without warnings; nothing for a run that did not run. Every job the
// runner carries out is recorded so, whatever started it. False when nothing was written.
bool RecordSetResult(const BackupSet& set, const JobResult& result);

// Records today's date as the last run of the set of g_selectedSetId and saves that set's file.
void StampLastRun();

bool IsJobRunning();
// Waits for the worker thread started last, handling events meanwhile (the job's events need the
// receiver's thread). Returns false when the wait timed out.
bool WaitForJobThread(int timeoutMs = -1);
// The result of the job started last in a worker thread.
JobResult LastJobResult();
