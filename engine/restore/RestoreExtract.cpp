// A restore from archives: 7-Zip extracts the full archive and then the point's update archive into the staging
// folder, the links are made from what the archive stores, and what could not be written is named.

#include "RestoreJobInternal.h"

#include "ArchiveCommand.h"
#include "ArchivePasswords.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "StagingTree.h"
#include "StringTable.h"
#include "TempFolder.h"
#include "ToolLocations.h"

#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QSet>

#include <sys/stat.h>

#include <algorithm>

namespace RestoreInternal {

namespace {

// Whether 7-Zip can take the name from a list file, which it reads line by line with the blanks at either end
// taken off; any other name goes on the command line.
bool fitsListFile(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r'))
        && !name.front().isSpace() && !name.back().isSpace();
}

// The names for a 7-Zip command, with -spd so that none is a wildcard: those a list file carries in one
// written with the switch (its path in *listFile, to be removed), the rest as switch + name each. Empty
// names come back as an empty list; nothing when the list file could not be written.
std::optional<QStringList> nameArguments(
    const QStringList& names, const QString& listSwitch, const QString& nameSwitch, QString* listFile, QString* error)
{
    QString listed;
    QStringList arguments;
    for (const QString& name : names) {
        if (fitsListFile(name))
            listed += name + QLatin1Char('\n');
        else
            arguments.append(nameSwitch + name);
    }
    if (!listed.isEmpty()) {
        *listFile = WriteListFile(listed, error);
        if (listFile->isEmpty())
            return std::nullopt;
        arguments.prepend(listSwitch + *listFile);
    }
    return arguments;
}

// Reads what the archive stores for each link: its target, the link's whole content. 7-Zip writes the
// chosen items one after the other in the archive's order, so the listed sizes split them.
std::optional<QList<QByteArray>> linkTargets(const QString& program, const QString& archive, const QStringList& names,
    const QList<qint64>& sizes, const QStringList& below, const QByteArray& passwordInput, const RunControl* control,
    QString* error)
{
    if (names.isEmpty())
        return QList<QByteArray>();
    QString list;
    auto selection = nameArguments(names, QStringLiteral("-i@"), QStringLiteral("-i!"), &list, error);
    if (!selection)
        return std::nullopt;
    // 7-Zip takes a chosen name with all below it: entries an archive lists below a link's name stay out.
    QString belowList;
    const auto left = nameArguments(below, QStringLiteral("-x@"), QStringLiteral("-x!"), &belowList, error);
    if (!left) {
        if (!list.isEmpty())
            RemoveTempFile(list);
        return std::nullopt;
    }
    *selection += *left;
    Command read;
    read.program = program;
    read.arguments = {QStringLiteral("e"), QStringLiteral("-so"), QStringLiteral("-spd"), QStringLiteral("-scsUTF-8")};
    read.arguments += *selection;
    read.arguments += {QStringLiteral("--"), archive};
    read.standardInput = passwordInput;
    qint64 expected = 0;
    for (const qint64 size : sizes)
        expected += size;
    // Room for every target whole; more than that is no link's content.
    read.resultPartBytes = qsizetype(std::clamp<qint64>(expected + 1, kDefaultResultPartBytes, kListingOutputBytes));
    const QuietRun run = RunQuietly(read, control);
    WipeBytes(read.standardInput);
    if (!list.isEmpty())
        RemoveTempFile(list);
    if (!belowList.isEmpty())
        RemoveTempFile(belowList);
    const QByteArray& bytes = run.output;
    qint64 total = 0;
    for (const qint64 size : sizes)
        total += size;
    if (!run.ran || run.exitCode != 0 || bytes.size() != total) {
        if (error)
            *error = run.secondOutput.trimmed();
        return std::nullopt;
    }
    QList<QByteArray> targets;
    qsizetype at = 0;
    for (const qint64 size : sizes) {
        targets.append(bytes.mid(at, size));
        at += size;
    }
    return targets;
}

// Whether a listed path fits a pattern in which "?" stands for any one character of a name.
bool fitsPattern(const QString& path, const QString& pattern)
{
    if (path.size() != pattern.size())
        return false;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (pattern.at(i) == QLatin1Char('?') ? path.at(i) == QLatin1Char('/') : path.at(i) != pattern.at(i))
            return false;
    }
    return true;
}

// The names the links have in the archive where the listing shows a "_", which may be a line break there:
// 7-Zip writes the links the wildcards pick into a private folder, where their names are read back. A link
// whose name is not in the answer cannot be told for sure (its wildcard fits another entry too).
QHash<QString, QString> linkNamesInArchive(const QString& program, const QString& archive,
    const QList<ArchiveItem>& items, const QStringList& listed, const QByteArray& passwordInput,
    const RunControl* control)
{
    QHash<QString, QString> names;
    QStringList patterns;
    QStringList sure;
    for (const QString& link : listed) {
        // A name with wildcards of its own cannot be picked by one alone.
        if (link.contains(QLatin1Char('*')) || link.contains(QLatin1Char('?')) || !fitsListFile(link))
            continue;
        QString pattern = link;
        pattern.replace(QLatin1Char('_'), QLatin1Char('?'));
        const qsizetype fitting = std::count_if(items.cbegin(), items.cend(), [&](const ArchiveItem& item) {
            return fitsPattern(item.path, pattern)
                || (item.path.size() > pattern.size() && item.path.at(pattern.size()) == QLatin1Char('/')
                    && fitsPattern(item.path.left(pattern.size()), pattern));
        });
        if (fitting == 1) {
            patterns.append(pattern);
            sure.append(link);
        }
    }
    if (patterns.isEmpty())
        return names;
    QString error;
    const QString list = WriteListFile(patterns.join(QLatin1Char('\n')) + QLatin1Char('\n'), &error);
    if (list.isEmpty())
        return names;
    const QString scratch = QFileInfo(list).path() + QStringLiteral("/links");
    if (::mkdir(encoded(scratch).constData(), 0700) == 0) {
        Command extract;
        extract.program = program;
        // Wildcards on; -snld: each link is made whatever it points to, only to be read here, never followed.
        extract.arguments
            = {QStringLiteral("x"), QStringLiteral("-y"), QStringLiteral("-snld"), QStringLiteral("-scsUTF-8"),
                QStringLiteral("-o."), QStringLiteral("-i@") + list, QStringLiteral("--"), archive};
        extract.workingFolder = scratch;
        extract.standardInput = passwordInput;
        const QuietRun run = RunQuietly(extract, control);
        WipeBytes(extract.standardInput);
        const StagingTree tree(scratch);
        if (run.ran && run.exitCode == 0 && tree.isOpen()) {
            for (const QString& link : std::as_const(sure)) {
                const std::optional<QString> name = tree.nameOnDisk(link);
                if (name && tree.kindOf(*name) == StagingTree::Kind::Link)
                    names.insert(link, *name);
            }
        }
        RemoveWholeFolder(scratch);
    }
    RemoveTempFile(list);
    return names;
}

Command extractCommand(const QString& program, const QString& archive, const QString& staging,
    const QStringList& exclusions, const QStringList& paths, const QByteArray& passwordInput)
{
    Command command;
    // No "-p": 7-Zip reads the password on standard input when the archive needs one.
    command.standardInput = passwordInput;
    command.program = program;
    // Run inside the staging folder and writing relative to it: the paths 7-Zip makes then stay as long as the
    // archive's own, which the backup could read, and not longer by the staging folder's path.
    command.workingFolder = staging;
    command.arguments = {QStringLiteral("x"), QStringLiteral("-aoa"), QStringLiteral("-y"), QStringLiteral("-bsp1"),
        QStringLiteral("-spd"), QStringLiteral("-scsUTF-8"), QStringLiteral("-o.")};
    command.arguments.append(exclusions);
    command.arguments.append(QStringLiteral("--"));
    command.arguments.append(archive);
    command.arguments.append(paths);
    command.text = program;
    for (const QString& argument : std::as_const(command.arguments))
        command.text += QStringLiteral(" \"") + argument + QLatin1Char('"');
    command.progress = ProgressFormat::SevenZip;
    return command;
}

// Before an update archive is extracted over the full archive's files: where the kind of an entry changed
// (a file became a folder, a folder a file or link), the old one goes, since 7-Zip will not put a folder in
// place of a file nor a file in place of a folder. Every step stays inside the staging folder.
void clearChangedKinds(const StagingTree& tree, const QList<ArchiveItem>& items, const QStringList& paths)
{
    using Kind = StagingTree::Kind;
    QSet<QString> folders;
    for (const ArchiveItem& item : items) {
        if (item.deleted || IsUnsafeEntryPath(item.path) || !isWithin(item.path, paths))
            continue;
        QStringList above;
        for (QString folder = parentOf(item.path); !folder.isEmpty() && !folders.contains(folder);
             folder = parentOf(folder))
            above.prepend(folder);
        for (const QString& folder : std::as_const(above)) {
            const Kind kind = tree.kindOf(folder);
            if (kind == Kind::File || kind == Kind::Link)
                tree.remove(folder);
            folders.insert(folder);
        }
        const Kind kind = tree.kindOf(item.path);
        if (item.isFolder ? kind == Kind::File || kind == Kind::Link : kind == Kind::Folder)
            tree.remove(item.path);
    }
}

// Whether 7-Zip's failure is one of the archive or of the disk, after which nothing it wrote can be trusted,
// rather than of one entry it could not write.
bool isArchiveOrDiskTrouble(const QString& output)
{
    static const char* const kWords[] = {"Data Error", "CRC Failed", "Unexpected end", "Headers Error", "Unsupported",
        "Wrong password", "No space left", "Disk quota", "not enough space", "Is not archive",
        "Can not open the file as archive", "Input/output error", "Read-only file system"};
    return std::any_of(std::begin(kWords), std::end(kWords),
        [&output](const char* word) { return output.contains(QLatin1String(word), Qt::CaseInsensitive); });
}

// The entries of the state that 7-Zip did not write whole (missing, another kind, another size), with what
// it left of them removed. Everything when not one was written.
QStringList entriesNotWritten(const StagingTree& tree, const QList<StateEntry>& state, const QStringList& paths)
{
    using Kind = StagingTree::Kind;
    QStringList missing;
    qsizetype checked = 0;
    for (const StateEntry& entry : state) {
        if (entry.refused || entry.isLink || !isWithin(entry.path, paths))
            continue;
        ++checked;
        const std::optional<QString> onDisk = tree.nameOnDisk(entry.path);
        qint64 size = -1;
        const Kind kind = onDisk ? tree.kindOf(*onDisk, &size) : Kind::Missing;
        const bool whole = entry.isFolder ? kind == Kind::Folder : kind == Kind::File && size == entry.size;
        if (whole)
            continue;
        if (onDisk && kind != Kind::Folder)
            tree.remove(*onDisk);
        missing.append(entry.path);
    }
    return missing.size() < checked ? missing : QStringList();
}

// The entries a restore left out, in one text that stays readable however many there are.
QString shownList(const QStringList& lines)
{
    constexpr qsizetype kShown = 20;
    QString text = lines.mid(0, kShown).join(QStringLiteral("; "));
    if (lines.size() > kShown)
        text += QLatin1Char(' ') + LoadStringById(StringId::RestoreMoreNotRestored).arg(lines.size() - kShown);
    return text;
}

// One archive a restore extracts: its items, the links made by hand (with their names in the archive), and the
// names 7-Zip is told to leave out.
struct Step
{
    QString archive;
    const QList<ArchiveItem>* items = nullptr;
    QList<ArchiveItem> links;
    QStringList linkNames;
    QStringList left;
};

// The paths where a zip update archive holds both a mark and the entry that replaced it (see ArchiveItem).
QSet<QString> markedKindChanges(const QList<ArchiveItem>& items)
{
    QSet<QString> marked;
    QSet<QString> written;
    for (const ArchiveItem& item : items)
        (item.zipMark ? marked : written).insert(item.path);
    return marked & written;
}

bool hasMarkedKindChanges(const QList<ArchiveItem>& items)
{
    return !markedKindChanges(items).isEmpty();
}

// 7-Zip writes the mark of an entry whose kind changed after or over the new entry, so that a folder that was a
// file comes out an empty file and what it holds is refused. Such a folder is made again here and what it holds
// extracted by name, which no mark shares.
std::optional<JobResult> writeMarkedKindChanges(const QString& program, const Step& step, const QString& staging,
    const StagingTree& tree, const QList<StateEntry>& state, const QStringList& paths, const QByteArray& passwordInput,
    const JobContext& context, const QString& name, const QString& target)
{
    const QSet<QString> marked = markedKindChanges(*step.items);
    if (marked.isEmpty())
        return std::nullopt;
    QStringList inside;
    for (const StateEntry& entry : state) {
        if (!entry.isFolder || entry.refused || !marked.contains(entry.path) || !isWithin(entry.path, paths))
            continue;
        if (tree.kindOf(entry.path) != StagingTree::Kind::Folder) {
            tree.remove(entry.path);
            tree.makeFolder(entry.path);
        }
        const QString prefix = entry.path + QLatin1Char('/');
        for (const ArchiveItem& item : *step.items) {
            if (item.path.startsWith(prefix) && !item.zipMark && !item.deleted && !item.isLink
                && !step.left.contains(item.path))
                inside.append(item.path);
        }
    }
    if (inside.isEmpty())
        return std::nullopt;
    QString list;
    QString error;
    const auto selection = nameArguments(inside, QStringLiteral("-i@"), QStringLiteral("-i!"), &list, &error);
    if (!selection)
        return failure(name, JobOutcome::PrepareFailed, error);
    const Command command = extractCommand(program, step.archive, staging, *selection, {}, passwordInput);
    const ToolRun run = runTool(command, context, name, target);
    if (!list.isEmpty())
        RemoveTempFile(list);
    if (run.failed)
        return run.failed;
    return std::nullopt;
}

} // namespace

JobResult restoreArchive(const RestoreRequest& request, const JobContext& context, const QString& target,
    const QStringList& paths, Staging& staging)
{
    // The point's own chain, which need not be the newest one nor share its password.
    const RestorePoint& point = request.points.at(request.index);
    const QString fullArchive = point.fullArchive.isEmpty() ? point.path : point.fullArchive;
    const QString name = pointName(point);
    Locate7Zip();
    const QString program = Settings().sevenZipPath.value();
    if (program.isEmpty())
        return failure(name, JobOutcome::ToolMissing, LoadStringById(StringId::SevenZipMissing));

    QByteArray passwordInput;
    if (point.passwordId != 0) {
        QString problem;
        std::optional<QString> password = ChainPasswordOf(point.passwordId, fullArchive, &problem);
        if (!password) {
            return failure(name, JobOutcome::PasswordMissing,
                problem.isEmpty() ? LoadStringById(StringId::PasswordNotGiven).arg(name) : problem);
        }
        passwordInput = PasswordInput(*password);
        password->fill(QChar(u'\0'));
    }
    auto wipePassword = qScopeGuard([&passwordInput] { WipeBytes(passwordInput); });
    auto listFailed = [&name](const QString& why, ListFailure kind) {
        const JobOutcome outcome = kind == ListFailure::WrongPassword ? JobOutcome::WrongPassword
            : kind == ListFailure::PasswordMissing                    ? JobOutcome::PasswordMissing
                                                                      : JobOutcome::SourceMissing;
        return failure(name, outcome, why);
    };
    // The points may have been read before a run moved the chain into the history and put a new full archive under
    // the same name: restored, it would give another state than the one chosen.
    if (point.kind == RestorePoint::Kind::Full && point.size >= 0 && !point.stamp.isEmpty()) {
        const QFileInfo now(point.path);
        if (now.size() != point.size || RestoreStamp(now.lastModified()) != point.stamp)
            return failure(
                name, JobOutcome::SourceMissing, LoadStringById(StringId::RestorePointsChanged).arg(point.path));
    }
    QString error;
    ListFailure listFailure = ListFailure::None;
    RestorePoint base = point;
    base.fullArchive = fullArchive;
    const auto full = ListPointArchive(base, true, &error, &listFailure);
    if (!full)
        return listFailed(error, listFailure);
    const bool fromUpdate = point.kind == RestorePoint::Kind::Update;
    std::optional<QList<ArchiveItem>> update;
    if (fromUpdate) {
        update = ListPointArchive(base, false, &error, &listFailure);
        if (!update)
            return listFailed(error, listFailure);
    }
    QList<bool> origins;
    const QList<StateEntry> state = StateWithOrigins(*full, fromUpdate ? &*update : nullptr, &origins);
    for (const QString& path : paths) {
        const auto at = std::lower_bound(state.cbegin(), state.cend(), path,
            [](const StateEntry& entry, const QString& key) { return entry.path < key; });
        if (at == state.cend() || at->path != path)
            return failure(
                name, JobOutcome::SourceMissing, LoadStringById(StringId::RestorePathMissing).arg(path, point.stamp));
    }

    // What is refused is never written: 7-Zip is told to leave it out, and no link is made for it.
    QSet<QString> refused;
    QStringList notRestored;
    for (const StateEntry& entry : state) {
        if (entry.refused && isWithin(entry.path, paths)) {
            refused.insert(entry.path);
            notRestored.append(LoadStringById(StringId::RestoreEntryRefused).arg(ShownEntryPath(entry.path)));
        }
    }

    // Links are made here, not by 7-Zip, which refuses those that point out of the folder it extracts into
    // and turns absolute ones into paths inside it. Each under its name in the archive, which the listing
    // shows with "_" for a line break.
    QList<Step> steps {{fullArchive, &*full, {}, {}, {}}};
    if (fromUpdate)
        steps.append({point.path, &*update, {}, {}, {}});
    QHash<QString, QString> nameOnDisk;
    QStringList unknownLinks;
    for (Step& step : steps) {
        QStringList underscored;
        for (const ArchiveItem& item : *step.items) {
            if (item.isLink && !item.deleted && !IsUnsafeEntryPath(item.path) && !refused.contains(item.path)
                && item.path.contains(QLatin1Char('_')) && isWithin(item.path, paths))
                underscored.append(item.path);
        }
        const QHash<QString, QString> exactNames
            = linkNamesInArchive(program, step.archive, *step.items, underscored, passwordInput, context.control);
        for (const ArchiveItem& item : *step.items) {
            if (IsUnsafeEntryPath(item.path) || refused.contains(item.path)) {
                step.left.append(item.path);
                continue;
            }
            if (!item.isLink || item.deleted)
                continue;
            const QString exact = item.path.contains(QLatin1Char('_')) ? exactNames.value(item.path) : item.path;
            if (exact.isEmpty()) {
                // Left to 7-Zip, which makes links only inside the folder it writes; taken out and named below.
                if (isWithin(item.path, paths))
                    unknownLinks.append(item.path);
                continue;
            }
            step.links.append(item);
            step.linkNames.append(exact);
            step.left.append(exact);
            nameOnDisk.insert(item.path, exact);
        }
    }

    qint64 bytes = 0;
    int exitCode = 0;
    bool toolTrouble = false;
    bool fatalTrouble = false;
    QString troubleText;
    const StagingTree tree(staging.path());
    if (!tree.isOpen())
        return failure(name, JobOutcome::PrepareFailed,
            LoadStringById(StringId::RestoreFolderNotMade).arg(staging.path(), systemError()));
    for (qsizetype s = 0; s < steps.size(); ++s) {
        const Step& step = steps.at(s);
        if (s > 0)
            clearChangedKinds(tree, *step.items, paths);
        QString list;
        const auto exclusions = nameArguments(step.left, QStringLiteral("-x@"), QStringLiteral("-x!"), &list, &error);
        if (!exclusions)
            return failure(name, JobOutcome::PrepareFailed, error);
        const Command command
            = extractCommand(program, step.archive, staging.path(), *exclusions, paths, passwordInput);
        const ToolRun run = runTool(command, context, name, target);
        if (!list.isEmpty())
            RemoveTempFile(list);
        if (run.failed)
            return *run.failed;
        if (run.passwordTrouble == PasswordTrouble::Wrong)
            return failure(name, JobOutcome::WrongPassword, WrongPasswordText(step.archive), run.exitCode);
        if (run.exitCode < 0 || run.exitCode > 2)
            return failure(name, JobOutcome::ToolFailed,
                LoadStringById(StringId::RestoreToolFailed).arg(ToolName(command)).arg(run.exitCode).arg(target),
                run.exitCode);
        if (run.exitCode == 2) {
            toolTrouble = true;
            fatalTrouble = fatalTrouble || isArchiveOrDiskTrouble(run.output);
            troubleText = LoadStringById(StringId::RestoreToolFailed).arg(ToolName(command)).arg(2).arg(target);
        }
        exitCode = std::max(exitCode, run.exitCode);
        if (s > 0) {
            if (std::optional<JobResult> failed = writeMarkedKindChanges(
                    program, step, staging.path(), tree, state, paths, passwordInput, context, name, target))
                return *failed;
        }
    }
    // 7-Zip failed on some entries: those it did not write whole are named, and the rest is restored, unless
    // the archive or the disk failed, where nothing it wrote can be trusted.
    if (toolTrouble) {
        const QStringList missing = fatalTrouble ? QStringList() : entriesNotWritten(tree, state, paths);
        // A link left to 7-Zip that it refused to make is one it names; it is named below as well. Entries that
        // changed kind in a zip update archive fail in 7-Zip's run and are written again after it.
        if (fatalTrouble
            || (missing.isEmpty() && unknownLinks.isEmpty() && !(fromUpdate && hasMarkedKindChanges(*update))))
            return failure(name, JobOutcome::ToolFailed, troubleText, 2);
        for (const QString& path : missing)
            notRestored.append(LoadStringById(StringId::RestoreEntryNotWritten).arg(ShownEntryPath(path)));
    }

    // Each link of the state from the archive that holds it as of the point.
    QHash<QString, QByteArray> targets;
    for (qsizetype s = 0; s < steps.size(); ++s) {
        QStringList linkPaths;
        for (const ArchiveItem& link : steps.at(s).links)
            linkPaths.append(link.path);
        std::sort(linkPaths.begin(), linkPaths.end());
        QStringList wanted;
        QList<qint64> sizes;
        QStringList listed;
        for (qsizetype i = 0; i < steps.at(s).links.size(); ++i) {
            const ArchiveItem& link = steps.at(s).links.at(i);
            if (isWithin(link.path, paths)) {
                wanted.append(steps.at(s).linkNames.at(i));
                sizes.append(link.size);
                listed.append(link.path);
            }
        }
        QStringList below;
        for (const ArchiveItem& item : *steps.at(s).items) {
            const QString above = parentOf(item.path);
            if (!above.isEmpty() && std::binary_search(linkPaths.cbegin(), linkPaths.cend(), above))
                below.append(item.path);
        }
        // All at once, or, where that fails, one by one: a link that cannot be read is named, the others are made.
        const auto read
            = linkTargets(program, steps.at(s).archive, wanted, sizes, below, passwordInput, context.control, &error);
        for (qsizetype i = 0; i < listed.size(); ++i) {
            const QString key = listed.at(i) + QLatin1Char(char('0' + s));
            if (read) {
                targets.insert(key, read->at(i));
            } else if (context.control && context.control->shouldStop()) {
                break;
            } else if (const auto one = linkTargets(program, steps.at(s).archive, {wanted.at(i)}, {sizes.at(i)}, below,
                           passwordInput, context.control, &error)) {
                targets.insert(key, one->constFirst());
            }
        }
    }
    for (qsizetype i = 0; i < state.size(); ++i) {
        const StateEntry& entry = state.at(i);
        if (!isWithin(entry.path, paths) || entry.refused)
            continue;
        if (!entry.isFolder && !entry.isLink)
            bytes += entry.size;
        if (!entry.isLink)
            continue;
        const QString key = entry.path + QLatin1Char(origins.at(i) ? '1' : '0');
        const auto found = targets.constFind(key);
        QString why;
        if (found == targets.cend() || unknownLinks.contains(entry.path)) {
            why = found == targets.cend() && !unknownLinks.contains(entry.path)
                ? LoadStringById(StringId::RestoreLinkUnreadable)
                : LoadStringById(StringId::RestoreLinkNameUnknown);
            if (const auto made = tree.nameOnDisk(entry.path); made && tree.kindOf(*made) == StagingTree::Kind::Link)
                tree.remove(*made);
        } else {
            why = tree.makeLink(nameOnDisk.value(entry.path, entry.path), *found, entry.modified);
            if (!why.isEmpty())
                tree.remove(nameOnDisk.value(entry.path, entry.path));
        }
        if (!why.isEmpty())
            notRestored.append(LoadStringById(StringId::RestoreLinkNotMade).arg(ShownEntryPath(entry.path), why));
    }
    // 7-Zip gives a file that was a folder the time of the folder's mark.
    if (fromUpdate) {
        for (const StateEntry& entry : state) {
            if (!entry.isFolder && !entry.isLink && !entry.refused && isWithin(entry.path, paths)
                && markedKindChanges(*update).contains(entry.path))
                tree.setTime(entry.path, entry.modified);
        }
    }
    // Deepest first: making or deleting an entry changes its folder's time.
    for (qsizetype i = state.size() - 1; i >= 0; --i) {
        const StateEntry& entry = state.at(i);
        if (entry.isFolder && !entry.refused && (isWithin(entry.path, paths) || isAbove(entry.path, paths)))
            tree.setTime(entry.path, entry.modified);
    }

    if (context.control && context.control->shouldStop()) {
        const bool late = context.control->stopReason() == RunControl::Reason::TimeLimit;
        return late ? failure(name, JobOutcome::TimedOut,
                   LoadStringById(StringId::RestoreTimedOut).arg(context.timeLimit.count()).arg(target))
                    : failure(name, JobOutcome::Stopped, LoadStringById(StringId::RestoreStopped).arg(target));
    }
    if (context.copying)
        context.copying();
    qint64 trashed = 0;
    if (const QString why = placeRestored(request, staging, target, paths, &trashed); !why.isEmpty())
        return failure(name, JobOutcome::PlaceFailed, why);
    JobResult done {JobOutcome::Done, name, exitCode, {}, {}};
    done.bytesWritten = bytes;
    QStringList warnings;
    if (exitCode == 1)
        warnings.append(LoadStringById(StringId::SevenZipWarnings).arg(exitCode));
    if (!notRestored.isEmpty()) {
        // Done with warnings, as a backup that could not read some files.
        done.exitCode = std::max(exitCode, 1);
        done.warningCount = int(notRestored.size());
        warnings.append(shownList(notRestored));
    }
    // Said with the result but no warning: every zip update point has it, and the restore is as it should be.
    if (fromUpdate && QFileInfo(point.path).suffix().compare(QLatin1String("zip"), Qt::CaseInsensitive) == 0)
        done.note = LoadStringById(StringId::RestoreZipNoDeletions);
    if (trashed > 0) {
        const QString inTrash = LoadStringById(StringId::RestoreTrashedNote).arg(trashed);
        done.note = done.note.isEmpty() ? inTrash : done.note + QLatin1Char(' ') + inTrash;
    }
    done.warning = warnings.join(QLatin1Char(' '));
    return done;
}

} // namespace RestoreInternal
