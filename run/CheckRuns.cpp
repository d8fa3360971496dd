#include "CheckRuns.h"

#include "DesktopNotice.h"
#include "Overdue.h"
#include "ProfileStore.h"
#include "ResourceIds.h"
#include "ScheduledPasswords.h"
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
    // A copy: the keyring's wait below runs an event loop, under no lock.
    QList<BackupSet> sets;
    {
        QMutexLocker lock(&backupSetsMutex());
        sets = backupSets;
    }
    for (const BackupSet& set : std::as_const(sets)) {
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
        QStringList whys;
        if (!why.isEmpty())
            whys.append(why);
        // Named at once: every scheduled run of it would fail, long before it counts as overdue.
        if (const QString problem = ScheduledPasswordProblem(set); !problem.isEmpty())
            whys.append(problem);
        if (whys.isEmpty())
            continue;
        if (firstSetName && firstSetName->isEmpty())
            *firstSetName = set.name;
        for (const QString& each : std::as_const(whys))
            lines.append(QStringLiteral("%1: %2").arg(set.name, each));
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
