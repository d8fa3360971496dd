#pragma once

// Testing archives with 7-Zip's "t": a new archive before it counts, the full archive before a chain is
// extended, and every archive of a set on demand (a verification).

#include "BackupSet.h"
#include "Command.h"
#include "JobChecks.h"
#include "JobOutcome.h"

#include <QString>

// "7zz t ARCHIVE" with its progress on standard output.
Command ArchiveTestCommand(const QString& program, const QString& archive);

struct ArchiveTestResult
{
    bool good = false;
    // The run was stopped or went past its time limit: the archive's state is unknown.
    bool stopped = false;
    // What the test said when the archive is not good, in words.
    QString problem;
    qint64 durationMs = 0;
};

// Tests the archive under the job's control (Stop, the time limit, progress and the log).
ArchiveTestResult TestArchive(const QString& program, const QString& archive, const JobContext& context);

// Whether an update run of the set may extend its chain: the full archive must be there and, when the set
// tests its archives, test good. Otherwise the run starts a new full archive, and note says why.
struct ChainBase
{
    bool startNewChain = false;
    QString note;
    // The test was stopped: the run ends.
    bool stopped = false;
};
ChainBase CheckChainBase(const BackupSet& set, const QString& program, const JobContext& context);

// Tests the set's full archive and each of its update archives, oldest first, one line each in the result's
// checks. Done when every one is good (a mirror set, which has none, too, with a note saying so).
JobResult RunVerifyJob(const BackupSet& set, const JobContext& context);
