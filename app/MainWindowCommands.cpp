#include "MainWindowCommands.h"

#include "COptionsDlg.h"
#include "CSetPropDlg.h"
#include "OffsitePhase.h"
#include "ResourceIds.h"
#include "ScheduleUpdates.h"
#include "SetCollection.h"
#include "SetPasswords.h"
#include "Settings.h"
#include "StringTable.h"
#include "UserMessages.h"

#include <QFileInfo>

bool NewSetCommand(QWidget* owner)
{
    CSetPropDlg dialog(owner);
    dialog.m_set.id = NewBackupSetId();
    dialog.m_bNew = true;
    dialog.m_isPasswordKnown = IsSetPasswordKnown;
    dialog.m_testOffsite = OffsiteTestAnswer;
    dialog.m_oldChainFolder = OldChainFolderOf;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const quint32 id = AddBackupSet(dialog.m_set);
    BackupSet added;
    if (GetBackupSet(id, added))
        ApplyPasswordChange(BackupSet(), added, dialog.m_password);
    SaveBackupSet(id);
    UpdateSchedulesInBackground();
    // Said now, not at the first failed night.
    if (GetBackupSet(id, added))
        WarnScheduledPasswordProblems({added});
    return true;
}

bool PropertiesCommand(QWidget* owner, quint32 setId)
{
    CSetPropDlg dialog(owner);
    // A row whose set has gone has nothing to edit.
    if (!GetBackupSet(setId, dialog.m_set))
        return false;
    dialog.m_bNew = false;
    dialog.m_isPasswordKnown = IsSetPasswordKnown;
    dialog.m_testOffsite = OffsiteTestAnswer;
    dialog.m_oldChainFolder = OldChainFolderOf;
    const BackupSet before = dialog.m_set;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    ApplyPasswordChange(before, dialog.m_set, dialog.m_password);
    // A rename changes the name the timer's service runs, a schedule the timer itself.
    if (UpdateBackupSet(dialog.m_set))
        UpdateSchedulesInBackground();
    WarnScheduledPasswordProblems({dialog.m_set});
    return true;
}

bool OptionsCommand(QWidget* owner)
{
    COptionsDlg dialog(owner);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted) {
        defaultArcType = dialog.m_arcType;
        defaultCompLevel = dialog.m_compLevel;
        minorUpdatedNumber = dialog.m_copiesToKeep;
        manualOverdueDays = dialog.m_manualOverdueDays;
        // A path that names no file keeps the rsync location that worked before.
        if (QFileInfo(dialog.m_roboPath).isFile())
            roboPathXP = dialog.m_roboPath;
        QStringList failed;
        if (!dialog.everyDestination().isEmpty() && !SetEveryDestination(dialog.everyDestination(), &failed))
            userMessages().showMessage(
                LoadStringById(StringId::FilesNotSaved).arg(failed.join(QLatin1Char('\n'))), UserMessages::Icon::Error);
    }
    return accepted;
}
