#include "ToolWarnings.h"

namespace {

// 7-Zip closes each list of warnings with this rule.
const QString kListEnd = QStringLiteral("----------------");

} // namespace

void WarnedNames::addName(const QString& name)
{
    if (m_seen.contains(name))
        return;
    m_seen.insert(name);
    ++m_count;
    if (m_names.size() < kKeptNames)
        m_names.append(name);
}

QList<QStringView> WarnedNames::linesOf(const QString& text)
{
    QList<QStringView> lines = QStringView(text).split(QLatin1Char('\n'));
    for (QStringView& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

void SevenZipWarnings::addLine(QStringView line)
{
    // After the run 7-Zip repeats every warning in a list, "NAME : errno=13 : Permission denied", under
    // "Scan WARNINGS for files and folders:" (what the scan could not open) and "WARNINGS for files:" (what
    // could not be read); the lines it prints during the run are shorter and come again there.
    if (!m_inList) {
        m_inList = line.endsWith(QLatin1String("WARNINGS for files and folders:"))
            || line == QLatin1String("WARNINGS for files:");
        return;
    }
    if (line == kListEnd) {
        m_inList = false;
        return;
    }
    if (line.trimmed().isEmpty())
        return;
    qsizetype cut = line.lastIndexOf(QLatin1String(" : errno="));
    if (cut < 0)
        cut = line.lastIndexOf(QLatin1String(" : "));
    addName((cut < 0 ? line : line.left(cut)).toString());
}

void SevenZipWarnings::addText(const QString& text)
{
    for (const QStringView line : linesOf(text))
        addLine(line);
}

void RsyncWarnings::addLine(QStringView line)
{
    // "rsync error: ... (code 23)" is the summary after the lines that name the files.
    if (!line.startsWith(QLatin1String("file has vanished: ")) && !line.startsWith(QLatin1String("rsync: ")))
        return;
    const qsizetype first = line.indexOf(QLatin1Char('"'));
    const qsizetype last = line.lastIndexOf(QLatin1Char('"'));
    if (first < 0 || last <= first + 1)
        return;
    addName(line.mid(first + 1, last - first - 1).toString());
}

void RsyncWarnings::addText(const QString& text)
{
    for (const QStringView line : linesOf(text))
        addLine(line);
}
