#pragma once

// Where velmora-run takes the passwords of encrypted sets from: the file --password-file names, for every set the
// run touches, or else the system keyring, read for each set just before it runs.

#include "BackupSet.h"
#include "PasswordFile.h"

#include <QString>
#include <QStringList>

#include <optional>

// The password the run's password file gave; none to take each set's from the keyring.
void SetRunPassword(const std::optional<QString>& password);

// The passwords of the further password files, earlier passwords of the sets: tried, in their order, on a chain
// kept from before a password change that the run's password does not open.
void SetRunEarlierPasswords(const QStringList& passwords);
QStringList RunEarlierPasswords();

// Puts the password of the set, when it is encrypted, where its jobs take it from (ArchivePasswords.h), or why
// there is none, so that the job fails the set with that reason instead of running it unencrypted.
void ProvideSetPassword(const BackupSet& set);
// The password file's password, for a chain read from a full archive alone, which has no set: only a password
// file can serve it.
std::optional<QString> RunPassword();
