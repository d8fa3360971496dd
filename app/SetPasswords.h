#pragma once

// The passwords of encrypted sets as the window hands them to its jobs, and the keyring's part in the set's
// properties. A job takes its set's password from the process's memory (ArchivePasswords); the window puts it
// there before the job starts, from this session's memory, else the keyring, else a question.
//
// How long a password stays in memory: one from the keyring, or typed with "Remember for this session", stays
// until the window closes (the keyring has it anyway, and a locked keyring then prompts once, not at every run);
// one typed without it is forgotten when the job it was asked for ends. A password a job found wrong is always
// forgotten, so the next run asks again.

#include "RestorePoints.h"

#include <QList>
#include <QString>

#include <optional>

struct BackupSet;
struct JobResult;
class QWidget;

// Puts the password of an encrypted set where its jobs find it; nothing for a set that is not encrypted.
// False when the user cancelled the question: the set is not to run.
bool ProvideSetPassword(QWidget* owner, const BackupSet& set);
// The same for each set of a run of all sets. A set whose question was cancelled gets, instead of a password,
// the reason its job fails with, so the run goes on with the others.
void ProvideSetPasswords(QWidget* owner, const QList<quint32>& ids);
// Asks again for the password of an encrypted set whose archives did not open with the one known, saying why
// (problem); the known one is forgotten, and the new one kept as ProvideSetPassword keeps it. False when the user
// cancelled.
bool AskSetPasswordAgain(QWidget* owner, const BackupSet& set, const QString& problem);
// After a job: forgets the passwords asked for that job only, and the password of a set it found wrong.
void ReleaseJobPasswords(const JobResult& result);
// Whether the result is 7-Zip refusing the password.
bool IsWrongPassword(const JobResult& result);

// Whether a password is known for the set: this session's, or the keyring's.
bool IsSetPasswordKnown(quint32 setId);
// After OK in a set's properties (before is the set as it was, after as it is to be saved, typed the password
// typed twice or empty to keep the one it has): stores a new password in the keyring, or for this session only
// when no keyring takes it; removes the password of a set no longer encrypted. Marks a set whose archives so far
// need another password (or none) to start a new chain at its next run, and says so.
void ApplyPasswordChange(const BackupSet& before, BackupSet& after, const QString& typed);
// Where the set's archives made so far go when its next run starts a new chain; empty when it has made none.
QString OldChainFolderOf(const BackupSet& set);
// Names, in one warning, each of the sets whose every scheduled run would fail for want of its password, and
// what works instead; nothing when there is none. Reads the keyring, so on the window's thread only.
void WarnScheduledPasswordProblems(const QList<BackupSet>& sets);
// Removes a deleted set's password from the keyring and from memory.
void ForgetSetPassword(const BackupSet& set);

// Asks for the password a chain was made with when the set's (or the found archive's) did not open it, saying from
// when the chain is (when), or after a wrong answer why it was not accepted (problem), and keeps the answer for that
// chain alone (SetChainPassword). False, with no password kept for the chain, when the user cancelled.
bool AskChainPassword(QWidget* owner, const RestorePoint& point, const QString& when, const QString& problem);

// Asks for the password of an archive found on disk, saying first why when one given before did not open it
// (problem); nothing when the user cancelled.
std::optional<QString> AskArchivePassword(QWidget* owner, const QString& archive, const QString& problem = {});
