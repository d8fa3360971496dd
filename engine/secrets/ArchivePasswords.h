#pragma once

// The passwords of encrypted sets for this process: the window or velmora-run puts a set's password here
// (from the keyring, a question, or a password file) before a job needs it, and the jobs take it from here.
// Only memory: nothing here is ever written to a file, a command line or a log.

#include <QString>
#include <QStringList>

#include <optional>

// Keeps the set's password until it is forgotten.
void SetArchivePassword(quint32 setId, const QString& password);
// Records why the set has no password (the keyring is locked, nobody answered): a job that needs one fails
// with this reason.
void SetArchivePasswordProblem(quint32 setId, const QString& problem);
// The set's password; none when none was given, and then *problem (when asked) is why, or empty.
std::optional<QString> ArchivePasswordOf(quint32 setId, QString* problem = nullptr);
// A chain kept in the history from before the set's password changed opens with the password it was made with:
// kept here per chain (its full archive's path), and handed out for that chain before the set's own.
void SetChainPassword(quint32 setId, const QString& fullArchive, const QString& password);
void ForgetChainPassword(quint32 setId, const QString& fullArchive);
// The chain's own password when one was given, else the set's (as ArchivePasswordOf).
std::optional<QString> ChainPasswordOf(quint32 setId, const QString& fullArchive, QString* problem = nullptr);
// Passwords the set had before, to be tried on a chain the set's password does not open (velmora-run's further
// password files); the one that opens it becomes the chain's.
void SetEarlierPasswords(quint32 setId, const QStringList& passwords);
QStringList EarlierPasswordsOf(quint32 setId);
// Forgets the set's password, its chains' and its earlier ones.
void ForgetArchivePassword(quint32 setId);
// Tests only: forgets every password kept in this process.
void ForgetArchivePasswords();
