#pragma once

// Where a set's backups are copied off the machine: a folder on another computer reached by rsync over ssh
// ("ssh://USER@HOST[:PORT]/PATH"), or a folder of a remote in the user's rclone configuration ("REMOTE:PATH").

#include <QString>

#include <optional>

struct OffsiteTarget
{
    enum class Kind
    {
        Ssh,
        Rclone,
    };

    Kind kind = Kind::Ssh;
    // ssh: the login name (empty: ssh's own choice), the host name or address (an IPv6 address without its
    // brackets) and the port (0: ssh's own choice).
    QString user;
    QString host;
    int port = 0;
    // rclone: the remote's name as the configuration has it.
    QString remote;
    // The folder there. For ssh an absolute path, or one relative to the login's home folder when the text gave
    // "/~/PATH"; for rclone relative to the remote's root. Never ends with '/' (but "/" itself).
    QString path;
    // The text as the user gave it, trimmed.
    QString text;

    bool isSsh() const { return kind == Kind::Ssh; }
    // The destination as rsync names it: "USER@HOST:PATH"; as rclone names it: "REMOTE:PATH".
    QString toolLocation() const;
    // The same for a name inside the folder.
    QString toolLocationOf(const QString& name) const;

    bool operator==(const OffsiteTarget&) const = default;
};

// The destination the text names, or nothing with the reason in problem (in the interface language). An empty
// text names none: nothing, and an empty problem. Names that could pass for an option to ssh, rsync or rclone
// (a leading '-'), and letters those tools would take for something else, are refused.
std::optional<OffsiteTarget> ParseOffsiteTarget(const QString& text, QString* problem = nullptr);
