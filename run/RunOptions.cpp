#include "RunOptions.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>

namespace {

RunOptions usageError(const QString& error)
{
    RunOptions options;
    options.error = error;
    return options;
}

// A path inside the source as the archives name it: no "." or ".." parts, no separators doubled or at its
// end. Empty when it can name nothing inside the source. An absolute path is kept for the set's source to
// take off.
QString sourcePath(const QString& path)
{
    const bool absolute = path.startsWith(QLatin1Char('/'));
    QStringList parts;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return {};
        if (part != QLatin1String("."))
            parts.append(part);
    }
    if (parts.isEmpty())
        return {};
    return (absolute ? QStringLiteral("/") : QString()) + parts.join(QLatin1Char('/'));
}

} // namespace

QDateTime ParseAsOf(const QString& text)
{
    static const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}_\\d{2}h\\d{2}m\\d{2}s$"));
    static const QRegularExpression date(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (stamp.match(text).hasMatch())
        return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'"));
    if (date.match(text).hasMatch()) {
        const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        // Stamps go to the second, so the day's last second takes every point of that day.
        return day.isValid() ? QDateTime(day, QTime(23, 59, 59)) : QDateTime();
    }
    return {};
}

RunOptions ParseRunOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList {QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption list(QStringLiteral("list"));
    const QCommandLineOption all(QStringLiteral("all"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption noWait(QStringLiteral("no-wait"));
    const QCommandLineOption allowEmptySource(QStringLiteral("allow-empty-source"));
    const QCommandLineOption points(QStringLiteral("points"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption pointsArchive(QStringLiteral("points-archive"), QString(), QStringLiteral("ARCHIVE"));
    const QCommandLineOption restore(QStringLiteral("restore"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption restoreArchive(QStringLiteral("restore-archive"), QString(), QStringLiteral("ARCHIVE"));
    const QCommandLineOption versions(QStringLiteral("versions"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption asOf(QStringLiteral("as-of"), QString(), QStringLiteral("STAMP"));
    const QCommandLineOption acceptDestination(QStringLiteral("accept-destination"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption verify(QStringLiteral("verify"));
    const QCommandLineOption check(QStringLiteral("check"));
    const QCommandLineOption noNotify(QStringLiteral("no-notify"));
    const QCommandLineOption installSchedules(QStringLiteral("install-schedules"));
    const QCommandLineOption passwordFile(QStringLiteral("password-file"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption fromOffsite(QStringLiteral("from-offsite"));
    const QCommandLineOption toOriginal(QStringLiteral("to-original"));
    const QCommandLineOption removeOthers(QStringLiteral("remove-others"));
    const QCommandLineOption prune(QStringLiteral("prune"));
    const QCommandLineOption pin(QStringLiteral("pin"));
    const QCommandLineOption unpin(QStringLiteral("unpin"));
    parser.addOptions({help, version, list, all, dryRun, noWait, allowEmptySource, points, pointsArchive, restore,
        restoreArchive, versions, to, asOf, acceptDestination, verify, check, noNotify, installSchedules, passwordFile,
        fromOffsite, toOriginal, removeOthers, prune, pin, unpin});
    // "-abc" is one unknown option, not three: no option here has a one-letter form to combine.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // QCommandLineParser expects the program's name first.
    if (!parser.parse(QStringList {QStringLiteral("velmora-run")} + arguments))
        return usageError(parser.errorText());

    RunOptions options;
    options.names = parser.positionalArguments();
    options.all = parser.isSet(all);
    options.dryRun = parser.isSet(dryRun);
    options.noWait = parser.isSet(noWait);
    options.allowEmptySource = parser.isSet(allowEmptySource);
    options.noNotify = parser.isSet(noNotify);
    if (parser.isSet(help)) {
        options.mode = RunOptions::Mode::Help;
        return options;
    }
    if (parser.isSet(version)) {
        options.mode = RunOptions::Mode::Version;
        return options;
    }
    if (parser.isSet(passwordFile)) {
        // Only what opens archives takes it; anywhere else it would be read for nothing.
        // More than one only where a chain kept from before a password change may need its own.
        const bool readsHistory = parser.isSet(points) || parser.isSet(pointsArchive) || parser.isSet(restore)
            || parser.isSet(restoreArchive) || parser.isSet(versions);
        QStringList files = parser.values(passwordFile);
        if (files.size() > 1 && !readsHistory)
            return usageError(LoadStringById(StringId::UsageGivenTwice).arg(QStringLiteral("--password-file")));
        options.passwordFile = files.takeFirst();
        options.earlierPasswordFiles = files;
        if (options.earlierPasswordFiles.contains(QString()))
            return usageError(LoadStringById(StringId::UsagePasswordFileNeedsFile));
        if (options.passwordFile.isEmpty())
            return usageError(LoadStringById(StringId::UsagePasswordFileNeedsFile));
        if (parser.isSet(list) || parser.isSet(check) || parser.isSet(installSchedules)
            || parser.isSet(acceptDestination))
            return usageError(LoadStringById(StringId::UsagePasswordFileNotHere));
    }

    // Only what reads a set's chain can read it from off site.
    options.fromOffsite = parser.isSet(fromOffsite);
    if (options.fromOffsite && !parser.isSet(restore) && !parser.isSet(points) && !parser.isSet(versions))
        return usageError(LoadStringById(StringId::UsageFromOffsite));

    // Only a set has a source to restore over; an archive alone does not.
    options.toOriginal = parser.isSet(toOriginal);
    options.removeOthers = parser.isSet(removeOthers);
    if ((options.toOriginal || options.removeOthers) && !parser.isSet(restore))
        return usageError(LoadStringById(StringId::UsageToOriginal));
    if (options.removeOthers && !options.toOriginal)
        return usageError(LoadStringById(StringId::UsageRemoveOthers));

    if (parser.isSet(check)) {
        // Only --no-notify goes with it: the check reads every set and changes nothing.
        const QStringList given = parser.optionNames();
        if (!options.names.isEmpty() || std::any_of(given.cbegin(), given.cend(), [](const QString& name) {
                return name != QLatin1String("check") && name != QLatin1String("no-notify");
            }))
            return usageError(LoadStringById(StringId::UsageCheck));
        options.mode = RunOptions::Mode::Check;
        return options;
    }
    if (parser.isSet(installSchedules)) {
        // Only the exact form: it rewrites files, so nothing given with it may go unheeded.
        if (arguments.size() != 1)
            return usageError(
                LoadStringById(StringId::UsageTakesNothingMore).arg(QStringLiteral("--install-schedules")));
        options.mode = RunOptions::Mode::InstallSchedules;
        return options;
    }

    if (parser.isSet(prune) || parser.isSet(pin) || parser.isSet(unpin)) {
        // Forms that remove or keep points take nothing they would leave unheeded.
        const QStringList given = parser.optionNames();
        const bool isPrune = parser.isSet(prune);
        const QStringList allowed = isPrune
            ? QStringList {QStringLiteral("prune"), QStringLiteral("all"), QStringLiteral("dry-run"),
                QStringLiteral("no-wait")}
            : QStringList {parser.isSet(pin) ? QStringLiteral("pin") : QStringLiteral("unpin")};
        const bool others
            = std::any_of(given.cbegin(), given.cend(), [&](const QString& name) { return !allowed.contains(name); });
        if (isPrune) {
            if (others || given.count(QStringLiteral("prune")) > 1 || (options.all == !options.names.isEmpty()))
                return usageError(LoadStringById(StringId::UsagePrune));
            options.mode = RunOptions::Mode::Prune;
            return options;
        }
        if (others || given.size() != 1 || options.names.size() != 2 || options.names.constFirst().isEmpty())
            return usageError(LoadStringById(StringId::UsagePin));
        options.stamp = options.names.takeLast();
        options.mode = parser.isSet(pin) ? RunOptions::Mode::Pin : RunOptions::Mode::Unpin;
        return options;
    }
    const QList<QCommandLineOption> restoreModes {
        points, pointsArchive, restore, restoreArchive, versions, acceptDestination};
    QStringList modesGiven;
    for (const QCommandLineOption& mode : restoreModes) {
        if (parser.isSet(mode)) {
            // Each given once: a second value would be dropped without a word.
            if (parser.values(mode).size() > 1)
                return usageError(
                    LoadStringById(StringId::UsageGivenTwice).arg(QStringLiteral("--") + mode.names().constFirst()));
            modesGiven.append(QStringLiteral("--") + mode.names().constFirst());
        }
    }
    const bool backupOptions
        = parser.isSet(list) || options.all || options.dryRun || options.noWait || options.allowEmptySource;
    if (parser.isSet(verify)) {
        if (!modesGiven.isEmpty() || parser.isSet(list) || options.dryRun || options.allowEmptySource
            || parser.isSet(to) || parser.isSet(asOf))
            return usageError(LoadStringById(StringId::UsageVerify));
        if (options.all && !options.names.isEmpty())
            return usageError(LoadStringById(StringId::UsageVerifyAllNames));
        if (!options.all && options.names.isEmpty())
            return usageError(LoadStringById(StringId::UsageVerifyNoSets));
        options.mode = RunOptions::Mode::Verify;
        return options;
    }
    if (modesGiven.isEmpty()) {
        if (parser.isSet(to) || parser.isSet(asOf))
            return usageError(LoadStringById(StringId::UsageToAsOf));
    } else {
        if (modesGiven.size() > 1)
            return usageError(
                LoadStringById(StringId::UsageCannotGoTogether).arg(modesGiven.join(QStringLiteral(", "))));
        if (backupOptions)
            return usageError(LoadStringById(StringId::UsageTakesNoRunOptions).arg(modesGiven.constFirst()));
    }

    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(acceptDestination)) {
        if (parser.isSet(to) || parser.isSet(asOf) || !positional.isEmpty())
            return usageError(LoadStringById(StringId::UsageAcceptDestination));
        options.names = QStringList {parser.value(acceptDestination)};
        if (options.names.constFirst().isEmpty())
            return usageError(LoadStringById(StringId::UsageNeedsName).arg(QStringLiteral("--accept-destination")));
        options.mode = RunOptions::Mode::AcceptDestination;
        return options;
    }
    if (parser.isSet(points) || parser.isSet(pointsArchive) || parser.isSet(versions)) {
        if (parser.isSet(to) || parser.isSet(asOf))
            return usageError(LoadStringById(StringId::UsageToAsOf));
        const bool isVersions = parser.isSet(versions);
        if (positional.size() != (isVersions ? 1 : 0)) {
            return usageError(isVersions
                    ? LoadStringById(StringId::UsageVersions)
                    : LoadStringById(StringId::UsageTakesNothingMore).arg(modesGiven.constFirst()));
        }
        options.names.clear();
        if (parser.isSet(pointsArchive))
            options.archive = parser.value(pointsArchive);
        else
            options.names = QStringList {parser.value(isVersions ? versions : points)};
        if (isVersions) {
            const QString path = sourcePath(positional.constFirst());
            if (path.isEmpty())
                return usageError(LoadStringById(StringId::UsageNoFileInSource).arg(positional.constFirst()));
            options.paths = QStringList {path};
        }
        if ((!options.names.isEmpty() && options.names.constFirst().isEmpty())
            || (parser.isSet(pointsArchive) && options.archive.isEmpty()))
            return usageError(LoadStringById(StringId::UsageNeedsName).arg(modesGiven.constFirst()));
        options.mode = isVersions ? RunOptions::Mode::Versions : RunOptions::Mode::Points;
        return options;
    }

    if (parser.isSet(restore) || parser.isSet(restoreArchive)) {
        const QString& mode = modesGiven.constFirst();
        if (options.toOriginal && parser.isSet(to))
            return usageError(LoadStringById(StringId::UsageToAndToOriginal));
        if (!options.toOriginal && (!parser.isSet(to) || parser.value(to).isEmpty()))
            return usageError(LoadStringById(StringId::UsageNeedsTo).arg(mode));
        if (parser.values(to).size() > 1 || parser.values(asOf).size() > 1)
            return usageError(LoadStringById(StringId::UsageToAsOfOnce));
        options.names.clear();
        if (parser.isSet(restoreArchive))
            options.archive = parser.value(restoreArchive);
        else
            options.names = QStringList {parser.value(restore)};
        if (options.archive.isEmpty() && (options.names.isEmpty() || options.names.constFirst().isEmpty()))
            return usageError(LoadStringById(StringId::UsageNeedsName).arg(mode));
        options.restoreTo = parser.value(to);
        if (parser.isSet(asOf)) {
            options.asOf = ParseAsOf(parser.value(asOf));
            if (!options.asOf.isValid())
                return usageError(LoadStringById(StringId::UsageAsOf).arg(parser.value(asOf)));
        }
        for (const QString& given : positional) {
            const QString path = sourcePath(given);
            if (path.isEmpty())
                return usageError(LoadStringById(StringId::UsageNothingInSource).arg(given));
            options.paths.append(path);
        }
        options.mode = RunOptions::Mode::Restore;
        return options;
    }

    if (parser.isSet(list)) {
        if (!options.names.isEmpty() || options.all || options.dryRun || options.noWait || options.allowEmptySource)
            return usageError(LoadStringById(StringId::UsageList));
        options.mode = RunOptions::Mode::List;
        return options;
    }
    if (options.all && !options.names.isEmpty())
        return usageError(LoadStringById(StringId::UsageAllNames));
    if (!options.all && options.names.isEmpty())
        return usageError(LoadStringById(StringId::UsageNoSets));
    options.mode = RunOptions::Mode::Run;
    return options;
}
QString RunHelpText()
{
    return LoadStringById(StringId::RunHelpText);
}
