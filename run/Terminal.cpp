#include "Terminal.h"

#include <cstdio>

namespace {

// A tool's last line may lack its line end; our next line must still start on a line of its own.
bool outputAtLineStart = true;

void write(std::FILE* stream, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
    if (stream == stdout)
        outputAtLineStart = bytes.endsWith('\n');
}

} // namespace

void PrintLine(const QString& line)
{
    // Standard error is unbuffered, standard output is not: without the flush a summary could appear
    // before the messages it sums up.
    std::fflush(stderr);
    write(stdout, ((outputAtLineStart ? QString() : QStringLiteral("\n")) + line + QLatin1Char('\n')).toUtf8());
}

void PrintErrorLine(const QString& line)
{
    std::fflush(stdout);
    write(stderr, (QStringLiteral("velmora-run: ") + line + QLatin1Char('\n')).toUtf8());
}

void PrintRaw(const QByteArray& bytes, bool toStandardError)
{
    write(toStandardError ? stderr : stdout, bytes);
}
