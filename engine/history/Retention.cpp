#include "Retention.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QSet>

#include <functional>

namespace {

// The period a point falls in for one rule, as a number that two points share exactly when they share it.
using PeriodOf = std::function<qint64(const QDateTime&)>;

qint64 hourOf(const QDateTime& time)
{
    return time.date().toJulianDay() * 24 + time.time().hour();
}

qint64 dayOf(const QDateTime& time)
{
    return time.date().toJulianDay();
}

qint64 weekOf(const QDateTime& time)
{
    int year = 0;
    const int week = time.date().weekNumber(&year);
    return qint64(year) * 100 + week;
}

qint64 monthOf(const QDateTime& time)
{
    return qint64(time.date().year()) * 100 + time.date().month();
}

qint64 yearOf(const QDateTime& time)
{
    return time.date().year();
}

// Gives the reason to the newest point of each of the newest count periods that have a point.
void keepPerPeriod(QList<RetentionVerdict>& verdicts, int count, const PeriodOf& periodOf, KeepReason reason)
{
    if (count <= 0)
        return;
    QSet<qint64> periods;
    for (RetentionVerdict& verdict : verdicts) {
        if (!verdict.point.time.isValid())
            continue;
        const qint64 period = periodOf(verdict.point.time);
        if (periods.contains(period))
            continue;
        if (periods.size() >= count)
            return;
        periods.insert(period);
        verdict.reasons |= reason;
    }
}

} // namespace

QList<RetentionVerdict> ApplyRetention(
    const SetHistory& history, const RetentionPolicy& policy, const QStringList& pinned)
{
    QList<RetentionVerdict> verdicts;
    const QList<HistoryPoint> points = history.points();
    verdicts.reserve(points.size());
    for (const HistoryPoint& point : points)
        verdicts.append({point, {}});
    // Newest first by time; points() gives them chain by chain, and chains never overlap in time, but a clock
    // set back could make them.
    std::stable_sort(verdicts.begin(), verdicts.end(),
        [](const RetentionVerdict& a, const RetentionVerdict& b) { return a.point.time > b.point.time; });
    if (verdicts.isEmpty())
        return verdicts;
    verdicts.first().reasons |= KeepReason::Newest;
    for (qsizetype i = 0; i < verdicts.size() && i < policy.last; ++i)
        verdicts[i].reasons |= KeepReason::Last;
    keepPerPeriod(verdicts, policy.hourly, hourOf, KeepReason::Hourly);
    keepPerPeriod(verdicts, policy.daily, dayOf, KeepReason::Daily);
    keepPerPeriod(verdicts, policy.weekly, weekOf, KeepReason::Weekly);
    keepPerPeriod(verdicts, policy.monthly, monthOf, KeepReason::Monthly);
    keepPerPeriod(verdicts, policy.yearly, yearOf, KeepReason::Yearly);
    const QSet<QString> pins(pinned.cbegin(), pinned.cend());
    for (RetentionVerdict& verdict : verdicts) {
        if (pins.contains(verdict.point.stamp))
            verdict.reasons |= KeepReason::Pinned;
    }
    // A full archive stays with its chain: an update archive alone restores nothing.
    QSet<int> chainsKept;
    for (const RetentionVerdict& verdict : std::as_const(verdicts)) {
        if (verdict.kept() && verdict.point.chain >= 0)
            chainsKept.insert(verdict.point.chain);
    }
    for (RetentionVerdict& verdict : verdicts) {
        if (!verdict.point.full)
            continue;
        const bool current = verdict.point.chain >= 0 && verdict.point.chain < history.chains.size()
            && history.chains.at(verdict.point.chain).isCurrent();
        if (current || chainsKept.contains(verdict.point.chain))
            verdict.reasons |= KeepReason::Chain;
    }
    return verdicts;
}

QString KeepReasonWords(KeepReasons reasons)
{
    static const std::pair<KeepReason, const char*> words[] = {
        {KeepReason::Newest, "newest"},
        {KeepReason::Pinned, "pinned"},
        {KeepReason::Last, "last"},
        {KeepReason::Hourly, "hourly"},
        {KeepReason::Daily, "daily"},
        {KeepReason::Weekly, "weekly"},
        {KeepReason::Monthly, "monthly"},
        {KeepReason::Yearly, "yearly"},
        {KeepReason::Chain, "chain"},
    };
    QStringList named;
    for (const auto& [reason, word] : words) {
        if (reasons.testFlag(reason))
            named.append(QLatin1String(word));
    }
    return named.isEmpty() ? QStringLiteral("policy") : named.join(QLatin1Char(','));
}

QString DescribeRetentionPolicy(const RetentionPolicy& policy, bool mirror)
{
    const std::pair<int, int> rules[] = {
        {policy.last, StringId::RetentionLast},
        {policy.hourly, StringId::RetentionHourly},
        {policy.daily, StringId::RetentionDaily},
        {policy.weekly, StringId::RetentionWeekly},
        {policy.monthly, StringId::RetentionMonthly},
        {policy.yearly, StringId::RetentionYearly},
    };
    QStringList pieces;
    for (const auto& [count, text] : rules) {
        if (count > 0)
            pieces.append(LoadStringById(text).arg(count));
    }
    if (pieces.isEmpty())
        return LoadStringById(mirror ? StringId::RetentionOnlyNewestVersions : StringId::RetentionOnlyNewestPoint);
    QString list = pieces.takeLast();
    if (!pieces.isEmpty())
        list = LoadStringById(StringId::RetentionListAnd).arg(pieces.join(QStringLiteral(", ")), list);
    return LoadStringById(mirror ? StringId::RetentionVersionsSentence : StringId::RetentionPointsSentence).arg(list);
}

QString KeepReasonText(KeepReasons reasons)
{
    // The reasons a person weighs first come first: a pin, then the rules from the shortest period.
    static const std::pair<KeepReason, int> texts[] = {
        {KeepReason::Pinned, StringId::KeepReasonPinned},
        {KeepReason::Newest, StringId::KeepReasonNewest},
        {KeepReason::Last, StringId::KeepReasonLast},
        {KeepReason::Hourly, StringId::KeepReasonHourly},
        {KeepReason::Daily, StringId::KeepReasonDaily},
        {KeepReason::Weekly, StringId::KeepReasonWeekly},
        {KeepReason::Monthly, StringId::KeepReasonMonthly},
        {KeepReason::Yearly, StringId::KeepReasonYearly},
        {KeepReason::Chain, StringId::KeepReasonChain},
    };
    QStringList named;
    for (const auto& [reason, text] : texts) {
        if (reasons.testFlag(reason))
            named.append(LoadStringById(text));
    }
    return named.isEmpty() ? LoadStringById(StringId::KeepReasonNone) : named.join(QStringLiteral(", "));
}
