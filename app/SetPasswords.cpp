#include "SetPasswords.h"

#include "ArchiveCommand.h"
#include "ArchivePasswords.h"
#include "ArchivePath.h"
#include "BackupSet.h"
#include "CPasswordDlg.h"
#include "JobOutcome.h"
#include "Keyring.h"
#include "ResourceIds.h"
#include "ScheduledPasswords.h"
#include "SetCollection.h"
#include "StringTable.h"
#include "UserMessages.h"

#include <QFileInfo>
#include <QSet>

namespace {

// The sets whose password in memory was typed for one job only.
QSet<quint32>& jobOnlyPasswords()
{
    static QSet<quint32> ids;
    return ids;
}

// Written for any outcome type, so that a build whose jobs cannot yet tell a wrong password never matches.
// A set that has made archives: a new password (or none) would not open them.
bool hasChain(const BackupSet& set)
{
    if (!set.lastRun.isEmpty() && set.lastRun != QLatin1String("0"))
        return true;
    const QString full = FullArchivePath(set);
    return !full.isEmpty() && QFileInfo::exists(full);
}

// The password of the set from memory or the keyring; nothing when neither has it.
std::optional<QString> knownPassword(quint32 setId)
{
    if (std::optional<QString> password = ArchivePasswordOf(setId))
        return password;
    const KeyringAnswer answer = ReadSetPassword(setId);
    if (answer.status != KeyringStatus::Ok)
        return std::nullopt;
    SetArchivePassword(setId, answer.password);
    return answer.password;
}

// Asks for the set's password (saying why when a problem is given) and keeps the answer for this process, for
// its jobs only unless the user chose to remember it; false when the user cancelled.
bool askSetPassword(QWidget* owner, const BackupSet& set, const QString& problem = QString())
{
    CPasswordDlg question(CPasswordDlg::Subject::Set, set.name, owner,
        problem.isEmpty() ? QString() : LoadStringById(StringId::PasswordTryAgain).arg(problem));
    if (question.exec() != QDialog::Accepted)
        return false;
    SetArchivePassword(set.id, question.password());
    if (question.remember())
        jobOnlyPasswords().remove(set.id);
    else
        jobOnlyPasswords().insert(set.id);
    return true;
}

} // namespace

bool ProvideSetPassword(QWidget* owner, const BackupSet& set)
{
    return !set.encrypt || knownPassword(set.id) || askSetPassword(owner, set);
}

bool AskSetPasswordAgain(QWidget* owner, const BackupSet& set, const QString& problem)
{
    // The one that did not open the archives goes whatever the answer: kept, it would only fail again.
    ForgetArchivePassword(set.id);
    jobOnlyPasswords().remove(set.id);
    return askSetPassword(owner, set, problem);
}

void ProvideSetPasswords(QWidget* owner, const QList<quint32>& ids)
{
    for (const quint32 id : ids) {
        BackupSet set;
        if (!GetBackupSet(id, set) || ProvideSetPassword(owner, set))
            continue;
        SetArchivePasswordProblem(id, LoadStringById(StringId::NoPasswordGiven));
        jobOnlyPasswords().insert(id);
    }
}

bool IsWrongPassword(const JobResult& result)
{
    return result.outcome == JobOutcome::WrongPassword;
}

void ReleaseJobPasswords(const JobResult& result)
{
    if (IsWrongPassword(result)) {
        for (const BackupSet& set : std::as_const(backupSets)) {
            if (set.name == result.setName) {
                ForgetArchivePassword(set.id);
                jobOnlyPasswords().remove(set.id);
            }
        }
    }
    for (const quint32 id : std::as_const(jobOnlyPasswords()))
        ForgetArchivePassword(id);
    jobOnlyPasswords().clear();
}

bool IsSetPasswordKnown(quint32 setId)
{
    return knownPassword(setId).has_value();
}

void ApplyPasswordChange(const BackupSet& before, BackupSet& after, const QString& typed)
{
    const quint32 id = after.id;
    if (!after.encrypt) {
        if (!before.encrypt)
            return;
        if (const KeyringAnswer removed = DeleteSetPassword(id); removed.status != KeyringStatus::Ok)
            userMessages().showMessage(LoadStringById(StringId::KeyringDeleteFailed).arg(after.name, removed.detail),
                UserMessages::Icon::Warning);
        ForgetArchivePassword(id);
        jobOnlyPasswords().remove(id);
        if (hasChain(before)) {
            after.passwordChanged = true;
            userMessages().showMessage(LoadStringById(StringId::EncryptionOffNewChain).arg(after.name));
        }
        return;
    }
    if (typed.isEmpty())
        return;
    const bool changed = !before.encrypt || knownPassword(id) != typed;
    const KeyringAnswer written = WriteSetPassword(id, typed);
    // Memory has the password either way: with a keyring as its copy, without one as the only one.
    SetArchivePassword(id, typed);
    jobOnlyPasswords().remove(id);
    if (written.status != KeyringStatus::Ok)
        userMessages().showMessage(
            LoadStringById(StringId::KeyringSessionOnly).arg(written.detail, after.name), UserMessages::Icon::Warning);
    if (changed && hasChain(before)) {
        after.passwordChanged = true;
        userMessages().showMessage(
            LoadStringById(before.encrypt ? StringId::PasswordChangedNewChain : StringId::EncryptionOnNewChain)
                .arg(after.name));
    }
}

QString OldChainFolderOf(const BackupSet& set)
{
    return hasChain(set) ? ChainHistoryFolder(set) : QString();
}

void WarnScheduledPasswordProblems(const QList<BackupSet>& sets)
{
    QStringList lines;
    for (const BackupSet& set : sets) {
        if (const QString problem = ScheduledPasswordProblem(set); !problem.isEmpty())
            lines.append(QStringLiteral("%1: %2").arg(set.name, problem));
    }
    if (!lines.isEmpty())
        userMessages().showMessage(
            LoadStringById(StringId::ScheduledPasswordsUnreachable).arg(lines.join(QLatin1Char('\n'))),
            UserMessages::Icon::Warning);
}

void ForgetSetPassword(const BackupSet& set)
{
    if (set.encrypt) {
        if (const KeyringAnswer removed = DeleteSetPassword(set.id); removed.status != KeyringStatus::Ok)
            userMessages().showMessage(LoadStringById(StringId::KeyringDeleteFailed).arg(set.name, removed.detail),
                UserMessages::Icon::Warning);
    }
    ForgetArchivePassword(set.id);
    jobOnlyPasswords().remove(set.id);
}

std::optional<QString> AskArchivePassword(QWidget* owner, const QString& archive, const QString& problem)
{
    CPasswordDlg question(CPasswordDlg::Subject::Archive, archive, owner,
        problem.isEmpty() ? QString() : LoadStringById(StringId::PasswordTryAgain).arg(problem));
    if (question.exec() != QDialog::Accepted)
        return std::nullopt;
    return question.password();
}

bool AskChainPassword(QWidget* owner, const RestorePoint& point, const QString& when, const QString& problem)
{
    CPasswordDlg question(CPasswordDlg::Subject::Archive, point.fullArchive, owner,
        problem.isEmpty() ? LoadStringById(StringId::ChainPasswordQuestion).arg(when)
                          : LoadStringById(StringId::PasswordTryAgain).arg(problem));
    if (question.exec() != QDialog::Accepted) {
        ForgetChainPassword(point.passwordId, point.fullArchive);
        return false;
    }
    SetChainPassword(point.passwordId, point.fullArchive, question.password());
    return true;
}
