#pragma once

// What the archive job and the mirror job check before a tool runs, and the results those checks give.

#include "JobContext.h"
#include "JobOutcome.h"

#include "BackupSet.h"

#include <optional>

// The result of a job whose run was ended by its control; nothing when the run may go on.
std::optional<JobResult> JobStopped(const BackupSet& set, const JobContext& context);
QString ArchiveTypeInvalidReason(const BackupSet& set);
// Checks shared by both jobs, in the order a user would fix them; empty when the run may go on.
std::optional<JobResult> FolderProblem(const BackupSet& set, const QString& destinationFolder);
