#include "LeftoverFiles.h"

#include <QDir>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

bool IsTemporaryCopyName(const QString& name, const QString& prefix, int suffixLength)
{
    // Not a wildcard pattern: that would read "[" in a file name as a bracket, and ignore letter case.
    if (name.size() != prefix.size() + suffixLength || !name.startsWith(prefix, Qt::CaseSensitive))
        return false;
    const QStringView suffix = QStringView(name).mid(prefix.size());
    return std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
    });
}

void RemoveLeftoverFiles(const QString& folder, const std::function<bool(const QString& name)>& isLeftover)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!isLeftover(name))
            continue;
        struct stat info;
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        if (::lstat(path.constData(), &info) == 0 && S_ISREG(info.st_mode))
            ::unlink(path.constData());
    }
}
