#include "RunPasswords.h"

#include "ArchivePasswords.h"
#include "Keyring.h"
#include "ResourceIds.h"
#include "StringTable.h"

namespace {

std::optional<QString>& runPassword()
{
    static std::optional<QString> password;
    return password;
}

QStringList& earlierPasswords()
{
    static QStringList passwords;
    return passwords;
}

} // namespace

void SetRunPassword(const std::optional<QString>& password)
{
    runPassword() = password;
}

void SetRunEarlierPasswords(const QStringList& passwords)
{
    earlierPasswords() = passwords;
}

QStringList RunEarlierPasswords()
{
    return earlierPasswords();
}

void ProvideSetPassword(const BackupSet& set)
{
    if (!set.encrypt)
        return;
    SetEarlierPasswords(set.id, earlierPasswords());
    if (runPassword()) {
        SetArchivePassword(set.id, *runPassword());
        return;
    }
    const KeyringAnswer answer = ReadSetPassword(set.id);
    switch (answer.status) {
    case KeyringStatus::Ok:
        SetArchivePassword(set.id, answer.password);
        return;
    case KeyringStatus::NotFound:
        SetArchivePasswordProblem(set.id, LoadStringById(StringId::KeyringHasNoPassword));
        return;
    case KeyringStatus::Unavailable:
    case KeyringStatus::Failed:
        SetArchivePasswordProblem(set.id, LoadStringById(StringId::KeyringLockedOrMissing));
        return;
    }
}

std::optional<QString> RunPassword()
{
    return runPassword();
}
