#pragma once

// Where a set's backups are copied off the machine: a folder on another computer reached by rsync over ssh
// ("ssh://USER@HOST[:PORT]/PATH"), or a folder of a remote in the user's rclone configuration ("REMOTE:PATH").

#include <QList>
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

struct BackupSet;

// Whether the two name the same folder there: the same host, login and port (ssh's 22 where none is given), or
// the same rclone remote, and the same path. Host and remote names are compared in any letter case.
bool SameOffsiteFolder(const OffsiteTarget& a, const OffsiteTarget& b);
// The other set among sets whose off-site copy would take the same names as this set's in the same folder there
// (archive sets of the same archive name and type, mirror sets of sources with the same folder name): each would
// overwrite the other's archives there and remove them as an old chain. Nothing when none does.
std::optional<QString> OffsiteClashOf(const BackupSet& set, const QList<BackupSet>& sets);

// The destination the text names, or nothing with the reason in problem (in the interface language). An empty
// text names none: nothing, and an empty problem. Names that could pass for an option to ssh, rsync or rclone
// (a leading '-'), and letters those tools would take for something else, are refused.
std::optional<OffsiteTarget> ParseOffsiteTarget(const QString& text, QString* problem = nullptr);
