#include "CheckRuns.h"

#include "DesktopNotice.h"
#include "Overdue.h"
#include "ProfileStore.h"
#include "ResourceIds.h"
#include "SetCollection.h"
#include "Settings.h"
#include "StringTable.h"
#include "Terminal.h"

#include <QFileInfo>

namespace {

QString shownTime(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

QStringList CheckLines(QString* firstSetName)
{
    const QDateTime now = OverdueClock();
    QStringList lines;
    QMutexLocker lock(&backupSetsMutex());
    for (const BackupSet& set : std::as_const(backupSets)) {
        // A set that never ran keeps the file as it was saved with its schedule: when the schedule began.
        const QDateTime saved = QFileInfo(g_profileStore->SetFilePath(set.name)).lastModified();
        const SetAlarm alarm = SetAlarmOf(set, now, manualOverdueDays, saved);
        QString why;
        if (alarm.kind == SetAlarm::Failed)
            why = LoadStringById(StringId::FailedSince).arg(shownTime(alarm.since), set.lastResultReason);
        else if (alarm.kind == SetAlarm::Overdue && alarm.since.isValid())
            why = LoadStringById(StringId::OverdueSince).arg(shownTime(alarm.since));
        else if (alarm.kind == SetAlarm::Overdue)
            why = LoadStringById(StringId::OverdueNeverSucceeded);
        else if (alarm.kind == SetAlarm::OffsiteFailed)
            why = LoadStringById(StringId::OffsiteFailedAt).arg(shownTime(alarm.since), set.lastOffsiteReason);
        else
            continue;
        if (firstSetName && firstSetName->isEmpty())
            *firstSetName = set.name;
        lines.append(QStringLiteral("%1: %2").arg(set.name, why));
    }
    return lines;
}

ExitStatus CheckSets(bool notify)
{
    QString firstSetName;
    const QStringList lines = CheckLines(&firstSetName);
    for (const QString& line : lines)
        PrintLine(line);
    if (lines.isEmpty())
        return ExitAllSucceeded;
    if (notify) {
        SendDesktopNotice({LoadStringById(StringId::NoticeCheckSummary).arg(lines.size()),
            lines.join(QLatin1Char('\n')), firstSetName, true});
    }
    return ExitSomeFailed;
}
