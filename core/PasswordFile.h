#pragma once

// A password kept in a file for runs without a person to ask (velmora-run's --password-file, a timer's run): the
// file is taken only when it is private to the user, and only its first line.

#include <QString>

#include <optional>

struct PasswordFileRead
{
    // The file's first line without its line end; none when the file is refused.
    std::optional<QString> password;
    // Why the file is refused, for the user.
    QString refusal;
};

// Reads the password file, refused unless it is private to the user: a regular file (not a link) owned by the
// user, with no permission for its group or others.
PasswordFileRead ReadPasswordFile(const QString& path);
