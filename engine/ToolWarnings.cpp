#include "ToolWarnings.h"

namespace {

// 7-Zip closes each list of warnings with this rule.
const QString kListEnd = QStringLiteral("----------------");

} // namespace

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
    const QString name = (cut < 0 ? line : line.left(cut)).toString();
    if (m_seen.contains(name))
        return;
    m_seen.insert(name);
    ++m_count;
    if (m_names.size() < kKeptNames)
        m_names.append(name);
}

void SevenZipWarnings::addText(const QString& text)
{
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        addLine(line);
    }
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
    const QString name = line.mid(first + 1, last - first - 1).toString();
    if (m_seen.contains(name))
        return;
    m_seen.insert(name);
    ++m_count;
    if (m_names.size() < SevenZipWarnings::kKeptNames)
        m_names.append(name);
}

void RsyncWarnings::addText(const QString& text)
{
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        addLine(line);
    }
}
