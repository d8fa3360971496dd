#pragma once

// The passwords of encrypted sets for this process: the window or velmora-run puts a set's password here
// (from the keyring, a question, or a password file) before a job needs it, and the jobs take it from here.
// Only memory: nothing here is ever written to a file, a command line or a log.

#include <QString>

#include <optional>

// Keeps the set's password until it is forgotten.
void SetArchivePassword(quint32 setId, const QString& password);
// Records why the set has no password (the keyring is locked, nobody answered): a job that needs one fails
// with this reason.
void SetArchivePasswordProblem(quint32 setId, const QString& problem);
// The set's password; none when none was given, and then *problem (when asked) is why, or empty.
std::optional<QString> ArchivePasswordOf(quint32 setId, QString* problem = nullptr);
void ForgetArchivePassword(quint32 setId);
void ForgetArchivePasswords();
