#pragma once

// Lines for the person or the log behind velmora-run: progress and summaries on standard output, problems
// on standard error, each written at once so they keep their order with the tools' own output.

#include <QByteArray>
#include <QString>

void PrintLine(const QString& line);
void PrintErrorLine(const QString& line);
// A tool's output exactly as it wrote it.
void PrintRaw(const QByteArray& bytes, bool toStandardError);
