#pragma once

// What the files of the off-site copies share among themselves, and no other file uses: the commands' text, the
// rate limit for tests, rsync's itemized names, and the set's destination and chain as the copies read them.

#include "BackupSet.h"
#include "Command.h"
#include "ConsoleRunner.h"
#include "OffsiteOutcome.h"
#include "OffsiteTarget.h"

#include <QList>

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace OffsiteInternal {

// rsync keeps an interrupted file here, in the destination folder, and resumes it on the next run.
inline const QString kPartialDir = QStringLiteral(".velmora-partial");

Command makeCommand(
    const QString& program, const QStringList& arguments, ProgressFormat progress = ProgressFormat::None);
QStringList transferredNames(const QString& output);
QStringList rateLimit(bool forRclone);
QString rclonePartName(const QString& name);
bool succeeded(const RunResult& run);
std::optional<OffsiteTarget> targetOrFailure(const BackupSet& set, OffsiteOutcome& outcome);
QMap<QString, qint64> sizesByName(const QList<OffsiteFile>& files);

} // namespace OffsiteInternal
