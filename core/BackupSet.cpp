#include "BackupSet.h"

#include "DestinationDisk.h"
#include "ProfileStore.h"
#include "ResourceIds.h"
#include "SetCollection.h"
#include "Settings.h"
#include "StringTable.h"

#include <algorithm>

const QList<SetFileKey>& SetFileKeys()
{
    static const QList<SetFileKey> keys = {
        {QStringLiteral("nID"), &BackupSet::id, QString(), QStringLiteral("0")},
        {QStringLiteral("name"), &BackupSet::name, QString(), QString()},
        {QStringLiteral("arcname"), &BackupSet::arcName, QString(), QString()},
        {QStringLiteral("source"), &BackupSet::source, QString(), QString()},
        // A new set's destination is the current default location, set by the constructor.
        {QStringLiteral("target"), &BackupSet::target, QString(), QString()},
        {QStringLiteral("exTypeList"), &BackupSet::exTypeList, QString(), QString()},
        {QStringLiteral("exPathList"), &BackupSet::exPathList, QString(), QString()},
        {QStringLiteral("ArcType"), &BackupSet::arcType, QStringLiteral("0"), QStringLiteral("0")},
        {QStringLiteral("CompLevel"), &BackupSet::compLevel, QStringLiteral("2"), QStringLiteral("3")},
        {QStringLiteral("Solid"), &BackupSet::solid, QStringLiteral("0"), QStringLiteral("0")},
        {QStringLiteral("BackupType"), &BackupSet::backupType, QStringLiteral("0"), QStringLiteral("0")},
        {QStringLiteral("lastrun"), &BackupSet::lastRun, QString(), QStringLiteral("0")},
        // After the classic keys, so that files written before them load as sets never run.
        {QStringLiteral("LastResult"), &BackupSet::lastResult, QString(), QString()},
        {QStringLiteral("LastResultTime"), &BackupSet::lastResultTime, QString(), QString()},
        {QStringLiteral("LastResultSeconds"), &BackupSet::lastResultSeconds, QStringLiteral("0"), QStringLiteral("0")},
        {QStringLiteral("LastResultBytes"), &BackupSet::lastResultBytes, QStringLiteral("-1"), QStringLiteral("-1")},
        {QStringLiteral("LastResultWarnings"), &BackupSet::lastResultWarnings, QStringLiteral("0"),
            QStringLiteral("0")},
        {QStringLiteral("LastResultReason"), &BackupSet::lastResultReason, QString(), QString()},
        {QLatin1String(kDestinationDiskKey), &BackupSet::destinationDisk, QString(), QString()},
        {QStringLiteral("LastResultVerifySeconds"), &BackupSet::lastResultVerifySeconds, QStringLiteral("-1"),
            QStringLiteral("-1")},
        // Files written before the choice existed test their archives too.
        {QStringLiteral("VerifyArchive"), &BackupSet::verifyArchive, QStringLiteral("1"), QStringLiteral("1")},
        {QStringLiteral("LastVerified"), &BackupSet::lastVerified, QString(), QString()},
        {QStringLiteral("Schedule"), &BackupSet::schedule, QStringLiteral("0"), QStringLiteral("0")},
        {QStringLiteral("ScheduleTime"), &BackupSet::scheduleTime, QStringLiteral("20:00"), QStringLiteral("20:00")},
        {QStringLiteral("ScheduleDay"), &BackupSet::scheduleDay, QStringLiteral("1"), QStringLiteral("1")},
        {QStringLiteral("ScheduleCatchUp"), &BackupSet::scheduleCatchUp, QStringLiteral("1"), QStringLiteral("1")},
        // Only that the set is encrypted: the password lives in the keyring, and nothing derived from it is kept.
        {QStringLiteral("Encrypt"), &BackupSet::encrypt, QStringLiteral("0"), QStringLiteral("0")},
        {QStringLiteral("PasswordChanged"), &BackupSet::passwordChanged, QStringLiteral("0"), QStringLiteral("0")},
        {QStringLiteral("Offsite"), &BackupSet::offsite, QString(), QString()},
        {QStringLiteral("LastOffsiteResult"), &BackupSet::lastOffsiteResult, QString(), QString()},
        {QStringLiteral("LastOffsiteReason"), &BackupSet::lastOffsiteReason, QString(), QString()},
        // Files from before it leave scheduled runs to the keyring.
        {QStringLiteral("PasswordFile"), &BackupSet::passwordFile, QString(), QString()},
        // Files from before history was kept load with the defaults a new set has.
        {QStringLiteral("KeepLast"), &BackupSet::keepLast, QStringLiteral("10"), QStringLiteral("10")},
        {QStringLiteral("KeepHourly"), &BackupSet::keepHourly, QStringLiteral("24"), QStringLiteral("24")},
        {QStringLiteral("KeepDaily"), &BackupSet::keepDaily, QStringLiteral("14"), QStringLiteral("14")},
        {QStringLiteral("KeepWeekly"), &BackupSet::keepWeekly, QStringLiteral("8"), QStringLiteral("8")},
        {QStringLiteral("KeepMonthly"), &BackupSet::keepMonthly, QStringLiteral("12"), QStringLiteral("12")},
        {QStringLiteral("KeepYearly"), &BackupSet::keepYearly, QStringLiteral("3"), QStringLiteral("3")},
        {QStringLiteral("Pinned"), &BackupSet::pinned, QString(), QString()},
        // Without it a chain counts the update archives it has, as before thinning.
        {QStringLiteral("ChainRuns"), &BackupSet::chainRuns, QString(), QString()},
        // Without it the next update run tests the full archive.
        {QStringLiteral("FullArchiveTested"), &BackupSet::fullArchiveTested, QString(), QString()},
    };
    return keys;
}

namespace {

template<class... Handlers> struct Overloaded : Handlers...
{
    using Handlers::operator()...;
};
template<class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

} // namespace

void SetFieldFromText(BackupSet& set, const SetFileKey& key, const QString& text)
{
    std::visit(Overloaded {
                   [&](quint32 BackupSet::*field) { set.*field = ParseSetId(text).value_or(0); },
                   [&](QString BackupSet::*field) { set.*field = text; },
                   [&](qint32 BackupSet::*field) { set.*field = ParseProfileInt(text); },
                   [&](qint64 BackupSet::*field) {
                       bool ok = false;
                       const qint64 value = text.trimmed().toLongLong(&ok);
                       set.*field = ok ? value : 0;
                   },
                   [&](bool BackupSet::*field) { set.*field = ParseProfileInt(text) != 0; },
                   [&](meSortStringArray BackupSet::*field) { SplitList(set.*field, text, kListSeparator); },
               },
        key.field);
}

QString FieldText(const BackupSet& set, const SetFileKey& key)
{
    return std::visit(
        Overloaded {
            [&](quint32 BackupSet::*field) { return QString::number(set.*field); },
            [&](QString BackupSet::*field) { return set.*field; },
            [&](qint32 BackupSet::*field) { return QString::number(set.*field); },
            [&](qint64 BackupSet::*field) { return QString::number(set.*field); },
            [&](bool BackupSet::*field) { return set.*field ? QStringLiteral("1") : QStringLiteral("0"); },
            [&](meSortStringArray BackupSet::*field) {
                meSortStringArray sorted = set.*field;
                SortList(sorted);
                return JoinList(sorted, kListSeparator);
            },
        },
        key.field);
}

namespace {

// Set while this thread makes the record of the key table's defaults, which the constructor parses.
thread_local bool makingKeyDefaults = false;

// Every field at the key table's value for a new record, parsed once: a set is made for every set file read,
// and parsing forty defaults from their texts each time cost more than reading the file.
const BackupSet& keyDefaults()
{
    static const BackupSet defaults = [] {
        makingKeyDefaults = true;
        BackupSet record;
        makingKeyDefaults = false;
        return record;
    }();
    return defaults;
}

} // namespace

BackupSet::BackupSet()
{
    if (makingKeyDefaults) {
        for (const SetFileKey& key : SetFileKeys())
            SetFieldFromText(*this, key, key.newRecordDefault);
        return;
    }
    *this = keyDefaults();
    target = Settings().newSetDestination;
    keepLast = Settings().newSetKeepLast;
    keepHourly = Settings().newSetKeepHourly;
    keepDaily = Settings().newSetKeepDaily;
    keepWeekly = Settings().newSetKeepWeekly;
    keepMonthly = Settings().newSetKeepMonthly;
    keepYearly = Settings().newSetKeepYearly;
}

RetentionPolicy RetentionPolicyOf(const BackupSet& set)
{
    return {set.keepLast, set.keepHourly, set.keepDaily, set.keepWeekly, set.keepMonthly, set.keepYearly};
}

void SetRetentionPolicy(BackupSet& set, const RetentionPolicy& policy)
{
    set.keepLast = policy.last;
    set.keepHourly = policy.hourly;
    set.keepDaily = policy.daily;
    set.keepWeekly = policy.weekly;
    set.keepMonthly = policy.monthly;
    set.keepYearly = policy.yearly;
}

QString CompLevelSwitch(const BackupSet& set)
{
    static const char* const levels[] = {"0", "1", "3", "5", "7", "9"};
    if (set.compLevel < 0 || set.compLevel >= int(std::size(levels)))
        return {};
    return QString::fromLatin1(levels[set.compLevel]);
}

QString ArcTypeName(const BackupSet& set)
{
    switch (set.arcType) {
    case 0:
        return QStringLiteral("7z");
    case 1:
        return QStringLiteral("zip");
    default:
        return {};
    }
}

QString ArchivePasswordProblem(const BackupSet& set, const QString& password)
{
    if (password.contains(QLatin1Char('\n')) || password.contains(QLatin1Char('\r')))
        return LoadStringById(StringId::PasswordHasLineBreak);
    if (set.arcType == 1 && !PasswordFitsZip(password))
        return LoadStringById(StringId::ZipPasswordNotAscii);
    return {};
}

bool PasswordFitsZip(const QString& password)
{
    return std::all_of(
        password.cbegin(), password.cend(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
}

int SplitList(meStringArray& list, const QString& value, const QString& separator)
{
    list.clear();
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty())
        return 0;
    auto isSeparator = [&](QChar c) { return separator.contains(c); };
    if (std::none_of(trimmed.begin(), trimmed.end(), isSeparator)) {
        list.append(trimmed);
        return 1;
    }
    qsizetype start = -1;
    for (qsizetype i = 0; i <= trimmed.size(); ++i) {
        const bool atSeparator = i == trimmed.size() || isSeparator(trimmed.at(i));
        if (atSeparator && start >= 0) {
            list.append(trimmed.mid(start, i - start));
            start = -1;
        } else if (!atSeparator && start < 0) {
            start = i;
        }
    }
    // A value made of separators only still gives one (empty) item.
    if (list.isEmpty())
        list.append(QString());
    return int(list.size());
}

QString JoinList(const meStringArray& list, const QString& separator)
{
    QString joined;
    for (const QString& item : list) {
        joined += item;
        joined += separator;
    }
    qsizetype begin = 0;
    qsizetype end = joined.size();
    while (begin < end && separator.contains(joined.at(begin)))
        ++begin;
    while (end > begin && separator.contains(joined.at(end - 1)))
        --end;
    return joined.mid(begin, end - begin);
}

int ListIndexOf(const meStringArray& list, const QString& key)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).contains(key, Qt::CaseSensitive))
            return int(i);
    }
    return -1;
}

int CompareFolded(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ca = a.at(i).toLower().unicode();
        const char16_t cb = b.at(i).toLower().unicode();
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void SortList(meStringArray& list)
{
    // A stable sort gives exactly the order of a bubble sort that swaps only strictly greater pairs.
    std::stable_sort(
        list.begin(), list.end(), [](const QString& a, const QString& b) { return CompareFolded(a, b) < 0; });
}

namespace {

QString trimSeparators(const QString& text, bool leading, bool trailing)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (leading && begin < end && text.at(begin) == kPathSeparator)
        ++begin;
    while (trailing && end > begin && text.at(end - 1) == kPathSeparator)
        --end;
    return text.mid(begin, end - begin);
}

void appendUnlessContained(meSortStringArray& list, const QString& entry)
{
    if (ListIndexOf(list, entry) == -1)
        list.append(entry);
}

} // namespace

void AddExType(BackupSet& set, const QString& text)
{
    const QString type = trimSeparators(text, true, true);
    // A bare "*" would exclude every file and leave an empty backup.
    if (type.isEmpty())
        return;
    appendUnlessContained(set.exTypeList, QLatin1Char('*') + type);
}

void AddExPath(BackupSet& set, const QString& text)
{
    const QString inner = trimSeparators(text, true, true);
    // An empty entry, or the root folder, would exclude everything.
    if (inner.isEmpty())
        return;
    const bool absolute = text.startsWith(kPathSeparator);
    appendUnlessContained(set.exPathList, (absolute ? QString(kPathSeparator) : QString()) + inner + kPathSeparator);
}

bool HasExType(const BackupSet& set, const QString& text)
{
    return ListIndexOf(set.exTypeList, text) != -1;
}

bool HasExPath(const BackupSet& set, const QString& text)
{
    return ListIndexOf(set.exPathList, text) != -1;
}

QTime ScheduleTimeOf(const BackupSet& set)
{
    const QTime time = QTime::fromString(set.scheduleTime, QStringLiteral("HH:mm"));
    return time.isValid() ? time : QTime(20, 0);
}

int ScheduleDayOf(const BackupSet& set)
{
    return set.scheduleDay >= 1 && set.scheduleDay <= 7 ? set.scheduleDay : 1;
}
