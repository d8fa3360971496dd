#pragma once

// The pieces the off-site commands are made of: where ssh, rsync and rclone are, the options that keep them
// from ever asking anything, quoting for the remote shell and for rsync's -e, the listings they print, and
// what a failed tool's own words say about the cause.

#include "ConsoleRunner.h"
#include "OffsiteOutcome.h"
#include "OffsiteTarget.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QStringView>

// The program on PATH, or empty with the reason (naming its Debian package) in outcome.
QString OffsiteToolPath(const QString& program, OffsiteOutcome* outcome);

// One word for a POSIX shell: '...' with each ' written as '\''.
QString ShellQuoted(const QString& word);
// One word for rsync's own splitting of -e: '...' with each ' doubled.
QString RsyncShellWord(const QString& word);
// A path the remote rsync reads as itself: with -s it expands wildcards in the paths it is sent, so each of
// "*?[]" and the backslash gets a backslash before it. Only for files it sends; see RsyncRemoteFolderPath.
QString RsyncLiteralPath(const QString& path);
// rsync's --rsync-path that starts the remote rsync inside the folder: a path it receives into would be taken
// as a pattern and, when it matches nothing, kept with the backslashes, so such a path never reaches it; the
// remote shell takes the quoted folder literally.
QString RsyncPathInside(const QString& folder);

// ssh's options that keep it from asking and bound its waits, the test's configuration file where
// VELMORA_SSH_CONFIG names one, the port; without the host.
QStringList SshOptions(const OffsiteTarget& target);
// ssh's arguments for running the remote shell command on the target's host: the options, the login, "--",
// the host and the command, each of whose words the caller has quoted.
QStringList SshCommandArguments(const OffsiteTarget& target, const QString& remoteCommand);
// rsync's -e value: ssh and its options, each a word rsync's splitting keeps whole.
QString RsyncRemoteShell(const QString& ssh, const OffsiteTarget& target);
// rclone's options that keep it from asking and report a failure promptly.
QStringList RcloneOptions();

// The files in rsync's --list-only output of one folder (folders and links left out).
QList<OffsiteFile> ParseRsyncListing(const QString& output);
// The files in rclone lsjson's output; nothing when it is no listing.
QList<OffsiteFile> ParseRcloneListing(const QString& json, bool* ok = nullptr);
// What rclone lsjson says of one file: its size, time and checksums by hash name ("md5", "sha1").
struct RcloneFileFacts
{
    qint64 size = -1;
    QDateTime modified;
    QMap<QString, QString> hashes;
};
RcloneFileFacts ParseRcloneFile(const QString& json);
// The percent in a stats line of rclone (--stats-one-line), or -1 for any other line.
int RclonePercent(QStringView line);

// A failed step's outcome: its cause and reason, nothing copied.
OffsiteOutcome OffsiteFailure(OffsiteCause cause, const QString& reason);

// Whether the name is one of the set's archives: its full archive NAME.EXT or an update archive
// NAME_upd_STAMP.EXT as the archive job names it; never a hidden, temporary or partial copy.
bool IsArchiveOfSet(const QString& fileName, const QString& arcName, const QString& extension);

// The tool's last line worth quoting: the last non-empty line of its error output, else of its output.
QString LastToolLine(const RunResult& run);
// The cause of a failed run of ssh, rsync or rclone, read from its exit code and its words, with the reason.
OffsiteOutcome ClassifyOffsiteFailure(const QString& tool, const RunResult& run, const OffsiteTarget& target);
// Where the target is, as its reasons name it: "USER@HOST:PATH" or "REMOTE:PATH".
QString OffsiteWhere(const OffsiteTarget& target);
