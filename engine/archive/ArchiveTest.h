#pragma once

// Testing archives with 7-Zip's "t": a new archive before it counts, and the full archive before a chain is
// extended; the verification job (VerifyJob.h) tests every archive of a set the same way.

#include "BackupSet.h"
#include "Command.h"
#include "EncryptedArchives.h"
#include "JobContext.h"
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
    // The archive is not good because the password does not open it (or none was given for it).
    PasswordTrouble passwordTrouble = PasswordTrouble::None;
    // 7-Zip read the archive and found it damaged. A test that was killed, ran out of memory or could not
    // read the file says nothing about the archive, and leaves this false.
    bool damaged = false;
    qint64 durationMs = 0;
};

// Tests the archive under the job's control (Stop, the time limit, progress and the log); an encrypted one
// with the password, given on standard input.
ArchiveTestResult TestArchive(const QString& program, const QString& archive, const JobContext& context,
    const std::optional<QString>& password = std::nullopt);

// Whether an update run of the set may extend its chain: the full archive must be there and, when the set
// tests its archives, test good, or be the very file a good test saw within fullArchiveRetestDays. When 7-Zip finds it
// damaged the run starts a new full archive, and note says why; when the test itself fails the run fails and changes
// nothing. A changed password starts a new chain without opening the old one; otherwise an encrypted set's archive must
// open with the password before any run extends or replaces it.
struct ChainBase
{
    bool startNewChain = false;
    QString note;
    // The full archive's test failed without a verdict on the archive: the run ends, changing nothing.
    QString failure;
    // The test was stopped: the run ends.
    bool stopped = false;
    // The archive the password does not open: the run changes nothing.
    QString wrongPasswordArchive;
    // How long the full archive's test took; -1 when it was not tested.
    qint64 testMs = -1;
    // The stored text of the good test just made (FullArchiveTestRecord.h); empty when none was made.
    QString tested;
};
ChainBase CheckChainBase(const BackupSet& set, const QString& program, const JobContext& context,
    const std::optional<QString>& password = std::nullopt);
