#pragma once

// The kept logs of a set's runs: each run's output in a file of its own below the user's state folder (of a long
// output its first and last part and its warning and error lines), the last kKeptRunsPerSet runs of each set
// while they stay within kKeptLogBytesPerSet. A set's logs are in a folder named by its id, which a
// rename keeps, and each file is named by the time its run started and how it ended, so names sort by time
// and a listing needs no file read.

#include "JobOutcome.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

inline constexpr int kKeptRunsPerSet = 20;
// A set's kept logs together, at most; the newest log stays whatever its size.
inline constexpr qint64 kKeptLogBytesPerSet = qint64(48) << 20;

struct KeptRun
{
    QDateTime started;
    // Nothing for a run still going, or one whose program was killed before it ended.
    std::optional<JobResultKind> result;
    QString path;
};

// The folder of every set's logs, and of one set's.
QString RunLogsFolder();
QString RunLogsFolderOf(quint32 setId);
// The set's kept runs, the newest first.
QList<KeptRun> KeptRunsOf(quint32 setId);

// Makes the log file of a run starting now, for the job to send its tools' output there (RunOutput::KeptLog);
// empty when it cannot be made (the run goes on without it).
QString BeginRunLog(quint32 setId);
// Ends the run's log: adds the result as its last line, names the file by the result, and removes the
// set's oldest logs beyond kKeptRunsPerSet or kKeptLogBytesPerSet. A run that did not run leaves no log. Returns the
// log's path.
QString EndRunLog(quint32 setId, const QString& path, const JobResult& result);

// The last bytes of a file, at most maxBytes, starting at a line's start when one is within them; read
// from the end, so a file of any size costs only what is returned.
QByteArray ReadLogTail(const QString& path, qint64 maxBytes);
// Tests only: the last lines of a file, at most maxLines of them and at most maxBytes in all.
QByteArray ReadLogTailLines(const QString& path, int maxLines, qint64 maxBytes = qint64(4) << 20);
