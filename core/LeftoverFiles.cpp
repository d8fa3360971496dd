#include "LeftoverFiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

void RemoveLeftoverFiles(const QString& folder, const QString& prefix, int suffixLength)
{
    const QDir dir(folder);
    // Names are compared as they are: a wildcard pattern would read "[" in a file name as a bracket, and
    // would ignore letter case.
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(prefix, Qt::CaseSensitive) || name.size() != prefix.size() + suffixLength)
            continue;
        const QStringView suffix = QStringView(name).mid(prefix.size());
        const bool random = std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
            return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
        });
        if (random && !QFileInfo(dir.filePath(name)).isSymLink())
            QFile::remove(dir.filePath(name));
    }
}
