#pragma once

// How an off-site step ended, and the files an off-site folder holds: what the copies, their tools and their
// callers all speak in.

#include <QString>

// Why an off-site step failed, for callers that react to the cause.
enum class OffsiteCause
{
    None,
    // ssh does not know the host's key; the reason says how to accept it.
    HostKeyUnknown,
    // The host's key differs from the one known: possibly someone in between.
    HostKeyChanged,
    // No answer, no route, name not found, connection refused or dropped.
    Unreachable,
    // The key or agent was refused; no password is ever typed.
    LoginRefused,
    // The remote has no room left.
    NoSpace,
    // rsync, ssh or rclone is not installed, or the rclone remote is not in the configuration.
    ToolMissing,
    // The folder there cannot be made or written.
    NotWritable,
    // A copy there does not match its local file in size or checksum.
    Mismatch,
    // A mirror there would be unsafe (it is, holds or lies in the source).
    Unsafe,
    Stopped,
    TimedOut,
    Other,
};

struct OffsiteOutcome
{
    OffsiteCause cause = OffsiteCause::None;
    // The failure in words, in the interface language, without the set's name; empty on success.
    QString reason;
    // How many files were copied there, and their bytes together.
    int filesCopied = 0;
    qint64 bytesCopied = 0;

    bool ok() const { return cause == OffsiteCause::None; }
};

// One file in the off-site folder.
struct OffsiteFile
{
    QString name;
    qint64 size = -1;
};
