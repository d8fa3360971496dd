#include "OffsiteInternal.h"

#include "OffsiteTools.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QFileInfo>

#include <algorithm>

namespace OffsiteInternal {

namespace {

QString shownArgument(const QString& argument)
{
    const bool plain = !argument.isEmpty() && std::none_of(argument.cbegin(), argument.cend(), [](QChar c) {
        return c.isSpace() || c == QLatin1Char('"') || c == QLatin1Char('\'');
    });
    return plain ? argument : QLatin1Char('"') + argument + QLatin1Char('"');
}

} // namespace

Command makeCommand(const QString& program, const QStringList& arguments, ProgressFormat progress)
{
    Command command;
    command.program = program;
    command.arguments = arguments;
    command.progress = progress;
    QStringList shown {shownArgument(program)};
    for (const QString& argument : arguments)
        shown.append(shownArgument(argument));
    command.text = shown.join(QLatin1Char(' '));
    return command;
}

// rsync's itemized changes name a file sent ("<f") or received (">f") after eleven letters and a blank.
QStringList transferredNames(const QString& output)
{
    QStringList names;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.size() > 12 && (line.startsWith(QLatin1String("<f")) || line.startsWith(QLatin1String(">f")))
            && line.at(11) == QLatin1Char(' '))
            names.append(line.mid(12));
    }
    return names;
}

// A limit on the copies' rate in KiB/s, for tests that need a copy slow enough to interrupt half-way.
QStringList rateLimit(bool forRclone)
{
    bool ok = false;
    const int limit = qEnvironmentVariableIntValue("VELMORA_OFFSITE_BWLIMIT", &ok);
    if (!ok || limit <= 0)
        return {};
    if (forRclone)
        return {QStringLiteral("--bwlimit"), QString::number(limit) + QLatin1Char('K')};
    return {QStringLiteral("--bwlimit=") + QString::number(limit)};
}

QString rclonePartName(const QString& name)
{
    return QLatin1Char('.') + name + QStringLiteral(".velmora-part");
}

bool succeeded(const RunResult& run)
{
    return run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0;
}

std::optional<OffsiteTarget> targetOrFailure(const BackupSet& set, OffsiteOutcome& outcome)
{
    QString problem;
    const auto target = ParseOffsiteTarget(set.offsite, &problem);
    if (!target)
        outcome = OffsiteFailure(
            OffsiteCause::Other, problem.isEmpty() ? LoadStringById(StringId::SetHasNoOffsite).arg(set.name) : problem);
    return target;
}

QMap<QString, qint64> sizesByName(const QList<OffsiteFile>& files)
{
    QMap<QString, qint64> sizes;
    for (const OffsiteFile& file : files)
        sizes.insert(file.name, file.size);
    return sizes;
}

} // namespace OffsiteInternal
