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

QList<CheckFinding> CheckFindings()
{
    const QDateTime now = OverdueClock();
    QList<CheckFinding> findings;
    // A copy: the keyring's wait below runs an event loop, under no lock.
    QList<BackupSet> sets;
    {
        QMutexLocker lock(&backupSetsMutex());
        sets = backupSets;
    }
    for (const BackupSet& set : std::as_const(sets)) {
        // A set that never ran keeps the file as it was saved with its schedule: when the schedule began.
        const QDateTime saved = QFileInfo(g_profileStore->SetFilePath(set.name)).lastModified();
        CheckFinding finding {set.name, SetAlarmOf(set, now, Settings().manualOverdueDays, saved), set.lastResultReason,
            set.lastOffsiteReason, {}};
        // Named at once: every scheduled run of it would fail, long before it counts as overdue.
        finding.password = ScheduledPasswordReasonOf(set);
        if (finding.alarm.kind != SetAlarm::None || finding.password.textId != 0)
            findings.append(finding);
    }
    return findings;
}

QStringList CheckLines(const QList<CheckFinding>& findings, QString (*textOf)(int))
{
    QStringList lines;
    for (const CheckFinding& finding : findings) {
        const SetAlarm& alarm = finding.alarm;
        QStringList whys;
        if (alarm.kind == SetAlarm::Failed)
            whys.append(textOf(StringId::FailedSince).arg(shownTime(alarm.since), finding.lastResultReason));
        else if (alarm.kind == SetAlarm::Overdue && alarm.since.isValid())
            whys.append(textOf(StringId::OverdueSince).arg(shownTime(alarm.since)));
        else if (alarm.kind == SetAlarm::Overdue)
            whys.append(textOf(StringId::OverdueNeverSucceeded));
        else if (alarm.kind == SetAlarm::OffsiteFailed)
            whys.append(textOf(StringId::OffsiteFailedAt).arg(shownTime(alarm.since), finding.lastOffsiteReason));
        if (finding.password.textId != 0)
            whys.append(ScheduledPasswordWords(finding.password, textOf));
        for (const QString& each : std::as_const(whys))
            lines.append(QStringLiteral("%1: %2").arg(finding.setName, each));
    }
    return lines;
}

ExitStatus CheckSets(bool notify)
{
    const QList<CheckFinding> findings = CheckFindings();
    // Scripts read the printed lines: their own words are the same in every interface language. The reasons they
    // quote (a failed run's, a refused password file's) are as they were given.
    for (const QString& line : CheckLines(findings, EnglishStringById))
        PrintLine(line);
    if (findings.isEmpty())
        return ExitAllSucceeded;
    if (notify) {
        const QStringList lines = CheckLines(findings, LoadStringById);
        SendDesktopNotice({LoadStringById(StringId::NoticeCheckSummary).arg(lines.size()),
            lines.join(QLatin1Char('\n')), findings.constFirst().setName, true});
    }
    return ExitSomeFailed;
}
