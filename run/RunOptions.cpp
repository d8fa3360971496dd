#include "RunOptions.h"

#include <QCommandLineParser>

namespace {

RunOptions usageError(const QString& error)
{
    RunOptions options;
    options.error = error;
    return options;
}

} // namespace

RunOptions ParseRunOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList {QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption list(QStringLiteral("list"));
    const QCommandLineOption all(QStringLiteral("all"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption noWait(QStringLiteral("no-wait"));
    const QCommandLineOption allowEmptySource(QStringLiteral("allow-empty-source"));
    parser.addOptions({help, list, all, dryRun, noWait, allowEmptySource});
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
    if (parser.isSet(help)) {
        options.mode = RunOptions::Mode::Help;
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
                          "       velmora-run [--dry-run] [--no-wait] [--allow-empty-source] NAME...\n"
                          "       velmora-run [--dry-run] [--no-wait] [--allow-empty-source] --all\n"
                          "\n"
                          "Runs Velmora's backup sets without the window, with the same settings and set files.\n"
                          "\n"
                          "  --list      one line per set: name, backup type, source, destination, last run\n"
                          "              (separated by tabs)\n"
                          "  NAME...     run these sets, one after the other, each by its own backup type;\n"
                          "              letter case does not matter in names\n"
                          "  --all       run every set\n"
                          "  --dry-run   print each command as it would run and change nothing\n"
                          "  --no-wait   when another backup is running, do not wait for it: give up at once\n"
                          "  --allow-empty-source\n"
                          "              run a set whose source folder is empty; without it such a set fails,\n"
                          "              since a disk that is not mounted leaves an empty folder behind\n"
                          "  -h, --help  show this text\n"
                          "\n"
                          "One backup runs at a time across Velmora and velmora-run; a run waits for the one\n"
                          "before it unless --no-wait is given. A successful set gets today's date as its last run.\n"
                          "Each set is read from its file just before it runs; a set deleted meanwhile is not run.\n"
                          "\n"
                          "Exit status: 0 when every set succeeded, 1 when any set failed or could not run\n"
                          "(also when --no-wait gave up), 2 for a usage error or an unknown set name (then\n"
                          "nothing is run), 3 when every set was done but with warnings: 7-Zip could not read\n"
                          "some files (the summary line names them) or files vanished while rsync copied them.\n"
                          "A dry run makes every check a run makes and ends with the same status.\n");
}
