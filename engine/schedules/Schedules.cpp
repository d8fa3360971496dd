#include "Schedules.h"

#include "EncryptedArchives.h"
#include "IniFile.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

namespace {

QMutex& systemctlMutex()
{
    static QMutex mutex;
    return mutex;
}

SystemctlCall& installedSystemctl()
{
    static SystemctlCall call;
    return call;
}

SystemctlReply realSystemctl(const QStringList& arguments)
{
    SystemctlReply reply;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("systemctl"));
    if (program.isEmpty())
        return reply;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, QStringList {QStringLiteral("--user"), QStringLiteral("--no-pager")} + arguments);
    if (!process.waitForStarted())
        return reply;
    reply.started = true;
    // A user manager that hangs must not keep velmora-run or the window's worker forever.
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    }
    reply.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    reply.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    reply.errorOutput = QString::fromLocal8Bit(process.readAllStandardError());
    return reply;
}

const int kDayNames[] = {StringId::Monday, StringId::Tuesday, StringId::Wednesday, StringId::Thursday, StringId::Friday,
    StringId::Saturday, StringId::Sunday};
const char* const kCalendarDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

bool isScheduled(const BackupSet& set)
{
    return set.schedule == HourlySchedule || set.schedule == DailySchedule || set.schedule == WeeklySchedule;
}

// A text in a unit file's Description= or a comment: one line, and "%" is a specifier there.
QString unitText(const QString& text)
{
    QString line;
    for (const QChar c : text)
        line += c.unicode() < 0x20 || c.unicode() == 0x7f ? QLatin1Char(' ') : c;
    return line.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

QString marker(const QString& what)
{
    return kUnitMarker + QStringLiteral(" for ") + what
        + QStringLiteral(". Velmora rewrites or removes this file when the set changes; edit the set instead.\n");
}

// velmora-run's arguments for one set: after "--", so that a name starting with "-" is a name.
QString runLine(const QString& runProgram, const QStringList& arguments)
{
    QStringList words {SystemdArgument(runProgram)};
    for (const QString& argument : arguments)
        words.append(SystemdArgument(argument));
    return words.join(QLatin1Char(' '));
}

// velmora-run's arguments for a timer's run of the set. An encrypted set with a password file takes its password
// from there: a timer's run has nobody to ask, and maybe no keyring. A set not encrypted is not given it, so that
// a file left named in it cannot fail its runs.
QStringList scheduledRunArguments(const BackupSet& set)
{
    QStringList arguments;
    if (IsEncryptedSet(set) && !set.passwordFile.isEmpty())
        arguments << QStringLiteral("--password-file") << set.passwordFile;
    return arguments << QStringLiteral("--") << set.name;
}

// A word for a shell, in single quotes; "%" ends a crontab command unless escaped.
QString crontabWord(const QString& word)
{
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    quoted = QLatin1Char('\'') + quoted + QLatin1Char('\'');
    return quoted.replace(QLatin1Char('%'), QStringLiteral("\\%"));
}

QString commandText(const QStringList& arguments)
{
    return QStringLiteral("systemctl --user ") + arguments.join(QLatin1Char(' '));
}

void callSystemctl(const QStringList& arguments, ScheduleUpdate& update)
{
    const SystemctlReply reply = CallSystemctl(arguments);
    if (reply.succeeded())
        return;
    const QString said = (reply.errorOutput + reply.output).trimmed();
    update.problems.append(LoadStringById(StringId::SystemctlFailed)
                               .arg(commandText(arguments), said.isEmpty() ? QString::number(reply.exitCode) : said));
}

// Whether a user manager answers. A machine without one says "offline" or cannot connect to the bus at all.
bool systemdAnswers()
{
    const SystemctlReply reply = CallSystemctl({QStringLiteral("is-system-running")});
    if (!reply.started)
        return false;
    static const QStringList answering {QStringLiteral("initializing"), QStringLiteral("starting"),
        QStringLiteral("running"), QStringLiteral("degraded"), QStringLiteral("maintenance"),
        QStringLiteral("stopping")};
    return answering.contains(reply.output.trimmed());
}

bool isVelmoraUnit(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.readLine(4096).startsWith(kUnitMarker.toUtf8());
}

} // namespace

SystemctlReply CallSystemctl(const QStringList& arguments)
{
    SystemctlCall call;
    {
        QMutexLocker lock(&systemctlMutex());
        call = installedSystemctl();
    }
    return call ? call(arguments) : realSystemctl(arguments);
}

void SetSystemctl(SystemctlCall call)
{
    QMutexLocker lock(&systemctlMutex());
    installedSystemctl() = std::move(call);
}

QString SystemdEscape(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    QString escaped;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':'
            || c == '_' || (c == '.' && i > 0);
        if (c == '/')
            escaped += QLatin1Char('-');
        else if (plain)
            escaped += QLatin1Char(c);
        else
            escaped += QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
    }
    return escaped;
}

QString SystemdArgument(const QString& argument)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9/._+=:,@-]+$"));
    QString text = argument;
    text.replace(QLatin1Char('%'), QStringLiteral("%%")).replace(QLatin1Char('$'), QStringLiteral("$$"));
    if (plain.match(argument).hasMatch())
        return text;
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    // systemd refuses a unit whose line holds a raw control character (a carriage return in a set name): each
    // goes as a C escape, which ExecStart= turns back into the byte.
    QString escaped;
    for (const QChar c : std::as_const(text)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            escaped += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            escaped += c;
    }
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString ScheduleUnitBase(const BackupSet& set)
{
    return QStringLiteral("velmora-set-") + SystemdEscape(QString::number(set.id));
}

QString ScheduleCalendar(const BackupSet& set)
{
    const QString time = ScheduleTimeOf(set).toString(QStringLiteral("HH:mm:00"));
    switch (set.schedule) {
    case HourlySchedule:
        return QStringLiteral("hourly");
    case DailySchedule:
        return QStringLiteral("*-*-* ") + time;
    case WeeklySchedule:
        return QLatin1String(kCalendarDays[ScheduleDayOf(set) - 1]) + QStringLiteral(" *-*-* ") + time;
    default:
        return {};
    }
}

QString ScheduleServiceText(const BackupSet& set, const QString& runProgram)
{
    return marker(QStringLiteral("the backup set ") + unitText(set.name))
        + QStringLiteral("[Unit]\nDescription=Velmora backup set %1\n\n"
                         "[Service]\nType=oneshot\nExecStart=%2\n")
              .arg(unitText(set.name), runLine(runProgram, scheduledRunArguments(set)));
}

QString ScheduleTimerText(const BackupSet& set)
{
    return marker(QStringLiteral("the backup set ") + unitText(set.name))
        + QStringLiteral("[Unit]\nDescription=Velmora backup set %1, on its schedule\n\n"
                         "[Timer]\nOnCalendar=%2\nPersistent=%3\n\n"
                         "[Install]\nWantedBy=timers.target\n")
              .arg(unitText(set.name), ScheduleCalendar(set),
                  set.scheduleCatchUp ? QStringLiteral("true") : QStringLiteral("false"));
}

QString CheckServiceText(const QString& runProgram)
{
    return marker(QStringLiteral("the daily check of the backup sets"))
        + QStringLiteral("[Unit]\nDescription=Velmora's check for backups that failed or stopped happening\n\n"
                         "[Service]\nType=oneshot\nExecStart=%1\n")
              .arg(runLine(runProgram, {QStringLiteral("--check")}));
}

QString CheckTimerText()
{
    return marker(QStringLiteral("the daily check of the backup sets"))
        + QStringLiteral("[Unit]\nDescription=Velmora's daily check of the backup sets\n\n"
                         "[Timer]\nOnCalendar=daily\nPersistent=true\n\n"
                         "[Install]\nWantedBy=timers.target\n");
}

QString ScheduleCrontabLine(const BackupSet& set, const QString& runProgram)
{
    const QTime time = ScheduleTimeOf(set);
    QString when;
    switch (set.schedule) {
    case HourlySchedule:
        when = QStringLiteral("0 * * * *");
        break;
    case DailySchedule:
        when = QStringLiteral("%1 %2 * * *").arg(time.minute()).arg(time.hour());
        break;
    case WeeklySchedule:
        // Cron counts Sunday as 0 or 7 and Monday as 1, as the set does.
        when = QStringLiteral("%1 %2 * * %3").arg(time.minute()).arg(time.hour()).arg(ScheduleDayOf(set));
        break;
    default:
        return {};
    }
    QString line = when + QLatin1Char(' ') + crontabWord(runProgram);
    for (const QString& argument : scheduledRunArguments(set))
        line += QLatin1Char(' ') + (argument == QLatin1String("--") ? argument : crontabWord(argument));
    return line;
}

QString ScheduleWords(const BackupSet& set, QString (*textOf)(int))
{
    // The time is read only for the schedules that name it: --list asks this of every set.
    const auto time = [&set] { return ScheduleTimeOf(set).toString(QStringLiteral("HH:mm")); };
    switch (set.schedule) {
    case HourlySchedule:
        return textOf(StringId::ScheduleHourly);
    case DailySchedule:
        return textOf(StringId::ScheduleDailyAt).arg(time());
    case WeeklySchedule:
        return textOf(StringId::ScheduleWeeklyAt).arg(textOf(kDayNames[ScheduleDayOf(set) - 1]), time());
    default:
        return textOf(StringId::ScheduleManual);
    }
}

QDateTime NextScheduledRun(const BackupSet& set, const QDateTime& now)
{
    if (!isScheduled(set))
        return {};
    if (set.schedule == HourlySchedule) {
        const QDateTime hour(now.date(), QTime(now.time().hour(), 0));
        return hour.addSecs(3600);
    }
    QDateTime next(now.date(), ScheduleTimeOf(set));
    if (next <= now)
        next = next.addDays(1);
    if (set.schedule == WeeklySchedule) {
        while (next.date().dayOfWeek() != ScheduleDayOf(set))
            next = next.addDays(1);
    }
    return next;
}

QString UserUnitFolder()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative path.
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/systemd/user");
}

QString VelmoraRunPath()
{
    return ModuleFolder() + QStringLiteral("velmora-run");
}

ScheduleUpdate UpdateSchedules(const QList<BackupSet>& sets, const QString& runProgram)
{
    ScheduleUpdate update;
    const QString folder = UserUnitFolder();
    QDir().mkpath(folder);

    // The files the sets call for, by file name.
    QMap<QString, QString> wanted;
    QStringList timers;
    for (const BackupSet& set : sets) {
        if (!isScheduled(set))
            continue;
        const QString base = ScheduleUnitBase(set);
        wanted.insert(base + QStringLiteral(".service"), ScheduleServiceText(set, runProgram));
        wanted.insert(base + QStringLiteral(".timer"), ScheduleTimerText(set));
        timers.append(base + QStringLiteral(".timer"));
        update.crontabLines.append(ScheduleCrontabLine(set, runProgram));
    }
    wanted.insert(kCheckUnitBase + QStringLiteral(".service"), CheckServiceText(runProgram));
    wanted.insert(kCheckUnitBase + QStringLiteral(".timer"), CheckTimerText());
    timers.append(kCheckUnitBase + QStringLiteral(".timer"));

    QStringList leftOver;
    const QStringList present = QDir(folder).entryList(
        {QStringLiteral("velmora-set-*.service"), QStringLiteral("velmora-set-*.timer")}, QDir::Files);
    for (const QString& name : present) {
        if (!wanted.contains(name) && isVelmoraUnit(folder + QLatin1Char('/') + name))
            leftOver.append(name);
    }

    update.noSystemd = !systemdAnswers();
    if (!update.noSystemd)
        update.crontabLines.clear();

    QStringList leftOverTimers;
    for (const QString& name : std::as_const(leftOver)) {
        if (name.endsWith(QStringLiteral(".timer")))
            leftOverTimers.append(name);
    }
    // Disabled while the files are still there, so systemd finds what to take down.
    if (!update.noSystemd && !leftOverTimers.isEmpty())
        callSystemctl(QStringList {QStringLiteral("disable"), QStringLiteral("--now")} + leftOverTimers, update);
    for (const QString& name : std::as_const(leftOver)) {
        const QString path = folder + QLatin1Char('/') + name;
        if (!QFile::remove(path)) {
            update.problems.append(LoadStringById(StringId::ScheduleFileNotRemoved).arg(path));
            continue;
        }
        update.removed.append(name);
        // Without systemd nothing took the timer's link down; it is the link of this very unit.
        const QString link = folder + QStringLiteral("/timers.target.wants/") + name;
        if (QFileInfo(link).isSymLink())
            QFile::remove(link);
    }

    QStringList changedTimers;
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        const QString path = folder + QLatin1Char('/') + it.key();
        const QByteArray bytes = it.value().toUtf8();
        QFile current(path);
        const bool existed = current.open(QIODevice::ReadOnly);
        if (existed && current.readAll() == bytes)
            continue;
        current.close();
        if (!IniFile::replaceFileAtomically(path, bytes)) {
            update.problems.append(LoadStringById(StringId::ScheduleFileNotWritten).arg(path));
            continue;
        }
        update.written.append(it.key());
        // A timer already running keeps its old calendar until it is restarted; a service is read at its start.
        if (existed && it.key().endsWith(QStringLiteral(".timer")))
            changedTimers.append(it.key());
    }

    if (update.noSystemd)
        return update;
    callSystemctl({QStringLiteral("daemon-reload")}, update);
    callSystemctl(QStringList {QStringLiteral("enable"), QStringLiteral("--now")} + timers, update);
    if (!changedTimers.isEmpty())
        callSystemctl(QStringList {QStringLiteral("restart")} + changedTimers, update);
    return update;
}

QMap<QString, QDateTime> TimerNextRuns()
{
    QMap<QString, QDateTime> next;
    const SystemctlReply reply = CallSystemctl({QStringLiteral("list-timers"), QStringLiteral("--all"),
        QStringLiteral("--no-legend"), QStringLiteral("--full"), QStringLiteral("velmora-set-*.timer")});
    if (!reply.succeeded())
        return next;
    // "Tue 2026-12-08 20:00:00 UTC 21h left Mon 2026-12-07 20:00:05 UTC 2h ago velmora-set-3.timer
    // velmora-set-3.service"; a timer with no next run starts with "-" or "n/a".
    static const QRegularExpression line(QStringLiteral(
        "^\\s*\\w+ (\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2})\\b.*\\s(velmora-set-\\S+)\\.timer(\\s|$)"));
    for (const QString& text : reply.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            continue;
        const QDateTime when = QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (when.isValid())
            next.insert(match.captured(2), when);
    }
    return next;
}
