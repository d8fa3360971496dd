#include "RunOptions.h"

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
            return usageError(QStringLiteral("--password-file is given more than once."));
        options.passwordFile = files.takeFirst();
        options.earlierPasswordFiles = files;
        if (options.earlierPasswordFiles.contains(QString()))
            return usageError(QStringLiteral("--password-file needs a file."));
        if (options.passwordFile.isEmpty())
            return usageError(QStringLiteral("--password-file needs a file."));
        if (parser.isSet(list) || parser.isSet(check) || parser.isSet(installSchedules)
            || parser.isSet(acceptDestination))
            return usageError(QStringLiteral("--password-file goes with running, verifying and restoring sets; not "
                                             "with --list, --check, --install-schedules or --accept-destination."));
    }

    // Only what reads a set's chain can read it from off site.
    options.fromOffsite = parser.isSet(fromOffsite);
    if (options.fromOffsite && !parser.isSet(restore) && !parser.isSet(points) && !parser.isSet(versions))
        return usageError(QStringLiteral("--from-offsite goes with --restore, --points or --versions of a set."));

    // Only a set has a source to restore over; an archive alone does not.
    options.toOriginal = parser.isSet(toOriginal);
    options.removeOthers = parser.isSet(removeOthers);
    if ((options.toOriginal || options.removeOthers) && !parser.isSet(restore))
        return usageError(QStringLiteral("--to-original and --remove-others go with --restore NAME."));
    if (options.removeOthers && !options.toOriginal)
        return usageError(QStringLiteral("--remove-others goes with --to-original."));

    if (parser.isSet(check)) {
        // Only --no-notify goes with it: the check reads every set and changes nothing.
        const QStringList given = parser.optionNames();
        if (!options.names.isEmpty() || std::any_of(given.cbegin(), given.cend(), [](const QString& name) {
                return name != QLatin1String("check") && name != QLatin1String("no-notify");
            }))
            return usageError(QStringLiteral("--check takes no set names and no other option than --no-notify."));
        options.mode = RunOptions::Mode::Check;
        return options;
    }
    if (parser.isSet(installSchedules)) {
        // Only the exact form: it rewrites files, so nothing given with it may go unheeded.
        if (arguments.size() != 1)
            return usageError(QStringLiteral("--install-schedules takes nothing more."));
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
                return usageError(QStringLiteral("--prune takes set names or --all, and --dry-run and --no-wait."));
            options.mode = RunOptions::Mode::Prune;
            return options;
        }
        if (others || given.size() != 1 || options.names.size() != 2 || options.names.constFirst().isEmpty())
            return usageError(QStringLiteral("--pin and --unpin take a set name and a stamp: --pin NAME STAMP."));
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
                return usageError(QStringLiteral("--%1 is given more than once.").arg(mode.names().constFirst()));
            modesGiven.append(QStringLiteral("--") + mode.names().constFirst());
        }
    }
    const bool backupOptions
        = parser.isSet(list) || options.all || options.dryRun || options.noWait || options.allowEmptySource;
    if (parser.isSet(verify)) {
        if (!modesGiven.isEmpty() || parser.isSet(list) || options.dryRun || options.allowEmptySource
            || parser.isSet(to) || parser.isSet(asOf))
            return usageError(QStringLiteral("--verify takes set names or --all, and --no-wait; nothing else."));
        if (options.all && !options.names.isEmpty())
            return usageError(QStringLiteral("--verify --all tests every set; name no sets with it."));
        if (!options.all && options.names.isEmpty())
            return usageError(QStringLiteral("--verify needs the sets to test, or --all."));
        options.mode = RunOptions::Mode::Verify;
        return options;
    }
    if (modesGiven.isEmpty()) {
        if (parser.isSet(to) || parser.isSet(asOf))
            return usageError(QStringLiteral("--to and --as-of go with --restore or --restore-archive."));
    } else {
        if (modesGiven.size() > 1)
            return usageError(QStringLiteral("%1 cannot go together.").arg(modesGiven.join(QStringLiteral(", "))));
        if (backupOptions)
            return usageError(QStringLiteral("%1 takes none of --list, --all, --dry-run, --no-wait and "
                                             "--allow-empty-source.")
                                  .arg(modesGiven.constFirst()));
    }

    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(acceptDestination)) {
        if (parser.isSet(to) || parser.isSet(asOf) || !positional.isEmpty())
            return usageError(QStringLiteral("--accept-destination takes one set name and nothing more."));
        options.names = QStringList {parser.value(acceptDestination)};
        if (options.names.constFirst().isEmpty())
            return usageError(QStringLiteral("--accept-destination needs a name."));
        options.mode = RunOptions::Mode::AcceptDestination;
        return options;
    }
    if (parser.isSet(points) || parser.isSet(pointsArchive) || parser.isSet(versions)) {
        if (parser.isSet(to) || parser.isSet(asOf))
            return usageError(QStringLiteral("--to and --as-of go with --restore or --restore-archive."));
        const bool isVersions = parser.isSet(versions);
        if (positional.size() != (isVersions ? 1 : 0)) {
            return usageError(isVersions
                    ? QStringLiteral("--versions takes a set name and one path: --versions NAME PATH.")
                    : QStringLiteral("%1 takes nothing more.").arg(modesGiven.constFirst()));
        }
        options.names.clear();
        if (parser.isSet(pointsArchive))
            options.archive = parser.value(pointsArchive);
        else
            options.names = QStringList {parser.value(isVersions ? versions : points)};
        if (isVersions) {
            const QString path = sourcePath(positional.constFirst());
            if (path.isEmpty())
                return usageError(QStringLiteral("'%1' names no file inside the source.").arg(positional.constFirst()));
            options.paths = QStringList {path};
        }
        if ((!options.names.isEmpty() && options.names.constFirst().isEmpty())
            || (parser.isSet(pointsArchive) && options.archive.isEmpty()))
            return usageError(QStringLiteral("%1 needs a name.").arg(modesGiven.constFirst()));
        options.mode = isVersions ? RunOptions::Mode::Versions : RunOptions::Mode::Points;
        return options;
    }

    if (parser.isSet(restore) || parser.isSet(restoreArchive)) {
        const QString& mode = modesGiven.constFirst();
        if (options.toOriginal && parser.isSet(to))
            return usageError(QStringLiteral("--to and --to-original cannot go together."));
        if (!options.toOriginal && (!parser.isSet(to) || parser.value(to).isEmpty()))
            return usageError(QStringLiteral("%1 needs --to DIR, the folder to restore into.").arg(mode));
        if (parser.values(to).size() > 1 || parser.values(asOf).size() > 1)
            return usageError(QStringLiteral("--to and --as-of are each given once."));
        options.names.clear();
        if (parser.isSet(restoreArchive))
            options.archive = parser.value(restoreArchive);
        else
            options.names = QStringList {parser.value(restore)};
        if (options.archive.isEmpty() && (options.names.isEmpty() || options.names.constFirst().isEmpty()))
            return usageError(QStringLiteral("%1 needs a name.").arg(mode));
        options.restoreTo = parser.value(to);
        if (parser.isSet(asOf)) {
            options.asOf = ParseAsOf(parser.value(asOf));
            if (!options.asOf.isValid())
                return usageError(QStringLiteral("--as-of takes a point's stamp (2026-12-07_14h03m59s) or a date "
                                                 "(2026-12-07), not '%1'.")
                                      .arg(parser.value(asOf)));
        }
        for (const QString& given : positional) {
            const QString path = sourcePath(given);
            if (path.isEmpty())
                return usageError(QStringLiteral("'%1' names nothing inside the source.").arg(given));
            options.paths.append(path);
        }
        options.mode = RunOptions::Mode::Restore;
        return options;
    }

    if (parser.isSet(list)) {
        if (!options.names.isEmpty() || options.all || options.dryRun || options.noWait || options.allowEmptySource)
            return usageError(QStringLiteral("--list takes no set names and no other options."));
        options.mode = RunOptions::Mode::List;
        return options;
    }
    if (options.all && !options.names.isEmpty())
        return usageError(QStringLiteral("--all runs every set; name no sets with it."));
    if (!options.all && options.names.isEmpty())
        return usageError(QStringLiteral("name the sets to run, or give --all or --list."));
    options.mode = RunOptions::Mode::Run;
    return options;
}
QString RunHelpText()
{
    return QStringLiteral("Usage: velmora-run --list\n"
                          "       velmora-run --version | --help\n"
                          "       velmora-run --install-schedules\n"
                          "       velmora-run [--dry-run] [--no-wait] [--allow-empty-source] NAME...\n"
                          "       velmora-run [--dry-run] [--no-wait] [--allow-empty-source] --all\n"
                          "       velmora-run [--no-wait] --verify NAME...\n"
                          "       velmora-run [--no-wait] --verify --all\n"
                          "       velmora-run [--from-offsite] --points NAME\n"
                          "       velmora-run [--from-offsite] --restore NAME --to DIR [--as-of STAMP] [PATH...]\n"
                          "       velmora-run [--from-offsite] --restore NAME --to-original [--remove-others]\n"
                          "                   [--as-of STAMP] [PATH...]\n"
                          "       velmora-run [--from-offsite] --versions NAME PATH\n"
                          "       velmora-run --points-archive ARCHIVE\n"
                          "       velmora-run --restore-archive ARCHIVE --to DIR [--as-of STAMP] [PATH...]\n"
                          "       velmora-run --accept-destination NAME\n"
                          "       velmora-run [--no-notify] --check\n"
                          "       velmora-run [--dry-run] [--no-wait] --prune NAME... | --prune --all\n"
                          "       velmora-run --pin NAME STAMP | --unpin NAME STAMP\n"
                          "Each form that runs, tests or restores sets also takes --password-file FILE.\n"
                          "\n"
                          "Runs Velmora's backup sets without the window, with the same settings and set files.\n"
                          "\n"
                          "  --list      one line per set: name, backup type, source, destination, last run,\n"
                          "              schedule, next run (separated by tabs; the next run as systemd's timer\n"
                          "              has it, or from the schedule when systemd cannot say)\n"
                          "  --install-schedules\n"
                          "              write the systemd user timer of every scheduled set again from the set\n"
                          "              files (into ~/.config/systemd/user), remove those of sets no longer\n"
                          "              scheduled, and enable them; for a new computer or after moving the\n"
                          "              program. Without a systemd user instance it says so and prints the\n"
                          "              crontab lines that run the sets instead\n"
                          "  NAME...     run these sets, one after the other, each by its own backup type;\n"
                          "              letter case does not matter in names. A set with an off-site\n"
                          "              destination then copies its new archive there (a mirror set mirrors\n"
                          "              its source there)\n"
                          "  --all       run every set\n"
                          "  --dry-run   print each command as it would run and change nothing\n"
                          "  --no-wait   when another backup is running, do not wait for it: give up at once\n"
                          "  --allow-empty-source\n"
                          "              run a set whose source folder is empty; without it such a set fails,\n"
                          "              since a disk that is not mounted leaves an empty folder behind\n"
                          "  --accept-destination NAME\n"
                          "              take the disk now at the set's destination as its disk from now on;\n"
                          "              a set remembers the disk its destination was on at its first\n"
                          "              successful run and refuses to run when it is on another one\n"
                          "  --verify NAME..., --verify --all\n"
                          "              test every archive of these sets (the full archive and each update\n"
                          "              archive) with 7-Zip, one line per archive: its path and OK or what is\n"
                          "              wrong; a mirror set has no archive and is said to be so\n"
                          "  --check     one line per set that is overdue (its last success is older than its\n"
                          "              schedule allows, or than the days the options give a manual set) or\n"
                          "              whose last run failed: its name, why and since when; and one desktop\n"
                          "              notification of them\n"
                          "  --no-notify send no desktop notification: a run sends one when a set failed, was\n"
                          "              not made or ended with warnings, --check when it found any set\n"
                          "  --password-file FILE\n"
                          "              the first line of FILE is the password of every encrypted set the run\n"
                          "              touches, instead of each set's password in the system keyring; FILE\n"
                          "              must be your own regular file, not a link, with no permission for\n"
                          "              its group or others (chmod 600), or nothing is run. Without it an\n"
                          "              encrypted set whose password the keyring cannot give fails and is\n"
                          "              named in the notification; it is never run unencrypted.\n"
                          "              With --points, --versions and --restore (and their -archive forms) it\n"
                          "              may be given again: each further FILE holds an earlier password,\n"
                          "              tried on a chain kept from before the set's password changed\n"
                          "  --prune NAME..., --prune --all\n"
                          "              thin each set's history by its retention policy: one line per point,\n"
                          "              STAMP, kept or removed, and why (newest, pinned, last, hourly, daily,\n"
                          "              weekly, monthly, yearly, chain; policy for a point that goes), separated\n"
                          "              by tabs, after a line \"== NAME\" for each set when there are several.\n"
                          "              With --dry-run nothing is removed. A run thins its set by itself after\n"
                          "              a new point that tested good\n"
                          "  --pin NAME STAMP, --unpin NAME STAMP\n"
                          "              keep the point of that stamp for ever, whatever the policy, or no\n"
                          "              longer; STAMP as --points shows it\n"
                          "  -h, --help  show this text\n"
                          "  --version   print the version\n"
                          "\n"
                          "Restoring:\n"
                          "  --points NAME\n"
                          "              one line per restore point of the set, newest first:\n"
                          "              STAMP, full, update or mirror, size in bytes, number of files, archive\n"
                          "              (separated by tabs; STAMP as 2026-12-07_14h03m59s)\n"
                          "  --restore NAME --to DIR\n"
                          "              rebuild the set's source as of its newest point into DIR, which must\n"
                          "              not exist or be empty; PATH... (relative to the source) restores only\n"
                          "              those files and folders\n"
                          "  --restore NAME --to-original\n"
                          "              put the files of the set's source (or of PATH...) back as they were\n"
                          "              at the point, in the source itself; folders are merged file by file.\n"
                          "              Every file it replaces goes to the desktop's trash (with its path, so\n"
                          "              it can be put back); files that are not in the backup stay where\n"
                          "              they are. When a file cannot go to the trash the restore fails and\n"
                          "              puts back what it had changed; nothing is deleted\n"
                          "  --remove-others\n"
                          "              with --to-original: also move the files of PATH... (or of the whole\n"
                          "              source) that the point does not hold to the trash\n"
                          "  --as-of STAMP\n"
                          "              restore the newest point at or before STAMP, a point's stamp or a\n"
                          "              date (2026-12-07: the end of that day)\n"
                          "  --versions NAME PATH\n"
                          "              one line per point where the file changed: STAMP, size in bytes and\n"
                          "              modification time (local), or STAMP and \"deleted\"\n"
                          "  --points-archive ARCHIVE, --restore-archive ARCHIVE\n"
                          "              the same from a full archive's path, with its update archives beside\n"
                          "              it, when there is no set file (a new computer)\n"
                          "  --from-offsite\n"
                          "              read the set's archives from its off-site destination instead of its\n"
                          "              destination folder (when the local disk is gone): they are fetched\n"
                          "              into a temporary folder, used, and removed\n"
                          "\n"
                          "One backup runs at a time across Velmora and velmora-run; a run waits for the one\n"
                          "before it unless --no-wait is given. A successful set gets today's date as its last run.\n"
                          "Each set is read from its file just before it runs; a set deleted meanwhile is not run.\n"
                          "\n"
                          "Exit status: 0 when every set succeeded, 1 when any set failed or could not run\n"
                          "(also when --no-wait gave up), 2 for a usage error, an unknown set name or a password\n"
                          "file refused (then nothing is run), 3 when every set was done but with warnings: 7-Zip\n"
                          "could not read some files (the summary line names them), files vanished while rsync\n"
                          "copied them, or the backup was made here and its off-site copy failed.\n"
                          "A dry run makes every check a run makes and ends with the same status.\n"
                          "A restore, --points and --versions end with 0 on success, 1 when they failed (a\n"
                          "failed or stopped restore leaves DIR as it was, and refuses a DIR with content; one\n"
                          "over the source puts back what it had moved to the trash), 2 for a usage error or an\n"
                          "unknown set name, 3 when the restore was done but some entries could not be written.\n"
                          "--accept-destination ends with 0 when the disk was recorded, 1 when it could not\n"
                          "be (the destination folder is missing or cannot be written), 2 for a usage error or\n"
                          "an unknown set name.\n"
                          "--verify ends with 0 when every archive tested good, 1 when any did not or could not\n"
                          "be tested, 2 for a usage error or an unknown set name.\n"
                          "--check ends with 0 when no set is overdue or failed, 1 when any is.\n"
                          "--list ends with 0. --install-schedules ends with 0 when systemd took up every timer, 1\n"
                          "when a file could not be written or removed, systemctl failed, or there is no systemd\n"
                          "user instance, 2 for a usage error.\n");
}
