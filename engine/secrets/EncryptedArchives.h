#pragma once

// Encrypted archives: the password goes to 7-Zip on its standard input, never on its command line, and what
// 7-Zip says about a password is told apart from a broken archive.

#include "BackupSet.h"
#include "Command.h"
#include "JobOutcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

class RunControl;

// The id under which RestorePointsOfArchive keeps the password given for an archive found on disk (no set has
// it: set ids are counted up from 1).
inline constexpr quint32 kFoundArchivePasswordId = 0xFFFFFFFFu;

enum class PasswordTrouble
{
    None,
    // The archive needs a password and none was given.
    Missing,
    Wrong,
};

// Whether the set's archives are encrypted: a mirror set never is, whatever its file says.
bool IsEncryptedSet(const BackupSet& set);

// The password kept for the id (a set's, or kFoundArchivePasswordId); none with *problem saying why, or
// the general text when nobody recorded a reason.
std::optional<QString> KeptPassword(quint32 passwordId, const QString& setName, QString* problem);

// For a job on an encrypted set: its password into password, or the failure of a job that has none (or one 7-Zip
// cannot take for the set's archive type); nothing to do for a set that is not encrypted.
std::optional<JobResult> TakeSetPassword(const BackupSet& set, std::optional<QString>& password);

// The standard input that gives 7-Zip the password: its line twice, since an update that opens an encrypted
// archive asks once for the old archive and once for the new one; a line more is never read.
QByteArray PasswordInput(const QString& password);
// Overwrites the bytes before they are let go.
void WipeBytes(QByteArray& bytes);

// What a 7-Zip run that exited with the code says about the password in its output.
PasswordTrouble PasswordTroubleOf(int exitCode, const QString& output, const QString& secondOutput = {});
// "wrong password for the archive ARCHIVE".
QString WrongPasswordText(const QString& archive);

// A short 7-Zip run outside the job's log (a listing, a look at one file), whose standard output its caller reads.
struct QuietRun
{
    // It started and exited by itself.
    bool ran = false;
    int exitCode = -1;
    // Standard output as the tool wrote it, at most the command's resultPartBytes of its start.
    QByteArray output;
    QString secondOutput;
    QString error;
    // It wrote more than output holds: what output has is only its start.
    bool cut = false;
    // Ended by the control given, or by the time limit (timedOut).
    bool stopped = false;
    bool timedOut = false;
};
// How long a quiet run may take unless its caller says otherwise: a listing of a large archive on a slow disk
// takes minutes, a hung mount must not keep the caller waiting for ever.
inline constexpr std::chrono::milliseconds kQuietRunTimeLimit = std::chrono::minutes(10);
// As much of a listing's output as is kept: some millions of items. A listing longer than this is refused
// rather than read in part.
inline constexpr qsizetype kListingOutputBytes = qsizetype(1) << 30;
// Runs the command through the console runner, its output to no file. It ends when control asks (a job's Stop and
// time limit) or once timeLimit has passed (zero: no limit of its own).
QuietRun RunQuietly(const Command& command, const RunControl* control = nullptr,
    std::chrono::milliseconds timeLimit = kQuietRunTimeLimit);
// What a quiet run started without a control of its own answers to. The program stops it as it ends, so that a
// listing still running on a thread nobody waits for (a restore dialog closed while it read) ends with it.
RunControl& UncontrolledQuietRuns();

// Whether the password opens the set's archive before a run extends or replaces it, as cheaply as 7-Zip
// allows: a 7z archive's names are hidden, so listing it needs the password; a zip archive's smallest
// encrypted file is tested.
enum class PasswordCheck
{
    Opens,
    Wrong,
    // It holds files and none is encrypted: made before the set was encrypted.
    NotEncrypted,
    // 7-Zip could not read it for another reason; the usual test of the chain decides.
    Unreadable,
};
PasswordCheck CheckArchivePassword(
    const QString& program, const QString& archive, const QString& password, const RunControl* control = nullptr);
