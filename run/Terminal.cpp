#include "Terminal.h"

#include <cerrno>
#include <cstdio>

#include <unistd.h>

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
    std::FILE* const stream = toStandardError ? stderr : stdout;
    if (bytes.isEmpty())
        return;
    // Straight to the file descriptor, in one system call: through stdio a piece of a pipe's size would
    // go out as a buffer's worth and then the rest.
    std::fflush(stream);
    const int descriptor = fileno(stream);
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t result = ::write(descriptor, bytes.constData() + written, size_t(bytes.size() - written));
        if (result < 0 && errno == EINTR)
            continue;
        // A closed terminal must not stop the backup; what it cannot show is in the log files.
        if (result <= 0)
            break;
        written += result;
    }
    if (stream == stdout)
        outputAtLineStart = bytes.endsWith('\n');
}
