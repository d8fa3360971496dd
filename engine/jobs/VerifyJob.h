#pragma once

// The verification job: every archive of a set tested with 7-Zip, one line each in the result.

#include "JobContext.h"
#include "JobOutcome.h"

#include "BackupSet.h"

// Tests the set's full archive and each of its update archives, oldest first, one line each in the result's
// checks; the result's fullArchiveTested says what the full archive's test found. Done when every one is good (a mirror
// set, which has none, too, with a note saying so). An encrypted set's password comes from ArchivePasswordOf; a wrong
// one is WrongPassword, not a bad archive.
JobResult RunVerifyJob(const BackupSet& set, const JobContext& context);
