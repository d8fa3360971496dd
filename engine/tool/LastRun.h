#pragma once

// The captured texts of the last run, written by the job's thread and read by the log viewer.

#include <QString>

class QFile;

struct LastRunTexts
{
    QString logText;
    QString logText2;
    QString runError;
};

// Each text keeps at most about this many characters, its first and its last half, however many sets a run
// has; one line says how much was left out between them, and the kept logs have more.
inline constexpr qsizetype kLastRunTextChars = qsizetype(512) * 1024;

LastRunTexts GetLastRunTexts();
void SetLastRunTexts(const LastRunTexts& texts);
void ClearLastRunTexts();
// Adds one run's texts under a heading, so a run of every set keeps the output of each.
void AppendLastRunTexts(const QString& heading, const LastRunTexts& texts);

// The file that got every byte the stream's tools wrote last: the kept log of the last set run (RunLogs.h),
// or, for a tool run outside a set's run, the stream's own file below the user's cache folder.
QString LastRunOutputPath(bool secondStream);
// A kept log renamed at the end of its run (to carry its result) stays the last run's output file.
void RenameRunLogPath(const QString& from, const QString& to);
enum class RunOutputFile
{
    // Not written: the reason is in the error.
    None,
    // A set's kept log, which keeps only a bounded part of each stream (KeptLogStream.h).
    KeptLog,
    // The stream's own file below the cache folder, which gets every byte.
    WholeOutput,
};
// Opens the stream's file for one tool of the last run: keptLogPath, a set's kept log both streams are added to,
// or when it is empty the stream's own file, which the first tool after the texts were cleared starts afresh and
// later ones add to.
RunOutputFile OpenLastRunOutput(QFile& file, bool secondStream, const QString& keptLogPath, QString& error);
