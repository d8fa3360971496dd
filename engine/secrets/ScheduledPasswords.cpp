#include "ScheduledPasswords.h"

#include "EncryptedArchives.h"
#include "Keyring.h"
#include "PasswordFile.h"
#include "ResourceIds.h"
#include "StringTable.h"

ScheduledPasswordReason ScheduledPasswordReasonOf(const BackupSet& set)
{
    const bool scheduled
        = set.schedule == HourlySchedule || set.schedule == DailySchedule || set.schedule == WeeklySchedule;
    if (!scheduled || !IsEncryptedSet(set))
        return {};
    if (!set.passwordFile.isEmpty()) {
        const PasswordFileRead read = ReadPasswordFile(set.passwordFile);
        if (read.password)
            return {};
        return {StringId::ScheduledPasswordFileRefused, read.refusal};
    }
    const KeyringAnswer answer = ReadSetPassword(set.id);
    switch (answer.status) {
    case KeyringStatus::Ok:
        return {};
    case KeyringStatus::NotFound:
        return {StringId::ScheduledPasswordNotInKeyring, {}};
    case KeyringStatus::Unavailable:
    case KeyringStatus::Failed:
        break;
    }
    return {answer.locked ? StringId::ScheduledPasswordKeyringLocked : StringId::ScheduledPasswordNoKeyring, {}};
}

QString ScheduledPasswordWords(const ScheduledPasswordReason& reason, QString (*textOf)(int))
{
    if (reason.textId == 0)
        return {};
    const QString text = textOf(reason.textId);
    return text.contains(QLatin1String("%1")) ? text.arg(reason.detail) : text;
}

QString ScheduledPasswordProblem(const BackupSet& set)
{
    return ScheduledPasswordWords(ScheduledPasswordReasonOf(set), LoadStringById);
}
