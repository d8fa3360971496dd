#include "ScheduledPasswords.h"

#include "EncryptedArchives.h"
#include "Keyring.h"
#include "PasswordFile.h"
#include "ResourceIds.h"
#include "StringTable.h"

QString ScheduledPasswordProblem(const BackupSet& set)
{
    const bool scheduled
        = set.schedule == HourlySchedule || set.schedule == DailySchedule || set.schedule == WeeklySchedule;
    if (!scheduled || !IsEncryptedSet(set))
        return {};
    if (!set.passwordFile.isEmpty()) {
        const PasswordFileRead read = ReadPasswordFile(set.passwordFile);
        return read.password ? QString() : LoadStringById(StringId::ScheduledPasswordFileRefused).arg(read.refusal);
    }
    const KeyringAnswer answer = ReadSetPassword(set.id);
    switch (answer.status) {
    case KeyringStatus::Ok:
        return {};
    case KeyringStatus::NotFound:
        return LoadStringById(StringId::ScheduledPasswordNotInKeyring);
    case KeyringStatus::Unavailable:
    case KeyringStatus::Failed:
        break;
    }
    return LoadStringById(
        answer.locked ? StringId::ScheduledPasswordKeyringLocked : StringId::ScheduledPasswordNoKeyring);
}
