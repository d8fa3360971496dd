#include "MainWindowCommands.h"

#include "COptionsDlg.h"
#include "CSetPropDlg.h"
#include "OffsitePhase.h"
#include "ResourceIds.h"
#include "Retention.h"
#include "ScheduleUpdates.h"
#include "SetCollection.h"
#include "SetPasswords.h"
#include "Settings.h"
#include "StringTable.h"
#include "UserMessages.h"

#include <QFileInfo>

#include <algorithm>

namespace {

QString describeRetention(const BackupSet& set)
{
    return DescribeRetentionPolicy(RetentionPolicyOf(set), set.backupType == MirrorCopying);
}

const SetFileKey& pinnedKey()
{
    const QList<SetFileKey>& keys = SetFileKeys();
    return *std::find_if(
        keys.cbegin(), keys.cend(), [](const SetFileKey& key) { return key.key == QLatin1String("Pinned"); });
}

// The set's pinned points as its file holds them now: velmora-run --pin may have changed them since the file was
// read. The record's when the file cannot be read.
meSortStringArray storedPins(const BackupSet& set)
{
    const IniFileRead read = ProfileStore::ReadIniFile(g_profileStore->SetFilePath(set.name));
    if (!read.document)
        return set.pinned;
    const std::optional<QString> stored = read.document->value(g_profileStore->sectionName(), pinnedKey().key);
    if (!stored)
        return set.pinned;
    BackupSet fromFile = set;
    SetFieldFromText(fromFile, pinnedKey(), *stored);
    return fromFile.pinned;
}

} // namespace

bool NewSetCommand(QWidget* owner)
{
    CSetPropDlg dialog(owner);
    dialog.m_set.id = NewBackupSetId();
    dialog.m_bNew = true;
    dialog.m_isPasswordKnown = IsSetPasswordKnown;
    dialog.m_testOffsite = OffsiteTestAnswer;
    dialog.m_oldChainFolder = OldChainFolderOf;
    dialog.m_describeRetention = describeRetention;
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
    dialog.m_describeRetention = describeRetention;
    const BackupSet before = dialog.m_set;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // The dialog does not edit the pins, so the ones saved meanwhile (by the restore dialog's box before, or by
    // velmora-run) stay: a lost pin would let the next prune remove the point.
    dialog.m_set.pinned = storedPins(before);
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
        MutableSettings().newSetArchiveType = dialog.m_arcType;
        MutableSettings().newSetCompressionLevel = dialog.m_compLevel;
        MutableSettings().chainLength = dialog.m_copiesToKeep;
        MutableSettings().manualOverdueDays = dialog.m_manualOverdueDays;
        MutableSettings().fullArchiveRetestDays = dialog.m_fullArchiveTestDays;
        MutableSettings().newSetKeepLast = dialog.m_retention.last;
        MutableSettings().newSetKeepHourly = dialog.m_retention.hourly;
        MutableSettings().newSetKeepDaily = dialog.m_retention.daily;
        MutableSettings().newSetKeepWeekly = dialog.m_retention.weekly;
        MutableSettings().newSetKeepMonthly = dialog.m_retention.monthly;
        MutableSettings().newSetKeepYearly = dialog.m_retention.yearly;
        // A path that names no file keeps the rsync location that worked before.
        if (QFileInfo(dialog.m_roboPath).isFile())
            MutableSettings().rsyncPath = dialog.m_roboPath;
        QStringList failed;
        if (!dialog.everyDestination().isEmpty() && !SetEveryDestination(dialog.everyDestination(), &failed))
            userMessages().showMessage(
                LoadStringById(StringId::FilesNotSaved).arg(failed.join(QLatin1Char('\n'))), UserMessages::Icon::Error);
    }
    return accepted;
}

bool SetPointPinned(quint32 setId, const QString& stamp, bool pinned)
{
    BackupSet set;
    if (!GetBackupSet(setId, set))
        return false;
    set.pinned = storedPins(set);
    set.pinned.removeAll(stamp);
    if (pinned)
        set.pinned.append(stamp);
    if (!StampSetFileKeys(set.name, {{pinnedKey().key, FieldText(set, pinnedKey())}})) {
        userMessages().showMessage(LoadStringById(StringId::PinNotSaved).arg(g_profileStore->SetFilePath(set.name)),
            UserMessages::Icon::Error);
        return false;
    }
    return true;
}
