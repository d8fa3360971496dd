#pragma once

// Each encrypted set's password in the system keyring (the Secret Service or KWallet), under the set's id.
// There is no plain-text fallback: where no keyring answers, the caller asks the user or fails the set.
// Each call waits for the keyring (it may put up its own unlock prompt), but never longer than a bound.

#include <QString>

#include <functional>

enum class KeyringStatus
{
    Ok,
    // The keyring answered and holds no password for the set.
    NotFound,
    // No keyring could be reached, it stayed locked, its user refused, or it did not answer in time.
    Unavailable,
    // Any other failure; detail says what.
    Failed,
};

struct KeyringAnswer
{
    KeyringStatus status = KeyringStatus::Failed;
    // The password, for a read that found it.
    QString password;
    // What the keyring said, for a person reading a log; never the password.
    QString detail;
    // For Unavailable: a keyring is there but locked, which its user can unlock, rather than none at all.
    bool locked = false;
};

KeyringAnswer ReadSetPassword(quint32 setId);
KeyringAnswer WriteSetPassword(quint32 setId, const QString& password);
// Removing a password the keyring does not hold is Ok.
KeyringAnswer DeleteSetPassword(quint32 setId);

// What stands in for the system keyring; tests install a fake, and an empty one puts the real keyring back.
struct KeyringBackend
{
    std::function<KeyringAnswer(quint32 setId)> read;
    std::function<KeyringAnswer(quint32 setId, const QString& password)> write;
    std::function<KeyringAnswer(quint32 setId)> remove;
};
// Tests only: puts a fake in place of the system keyring.
void SetKeyringBackend(KeyringBackend backend);
