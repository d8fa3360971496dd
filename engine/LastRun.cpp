#include "LastRun.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex textsMutex;
LastRunTexts texts;

void appendSection(QString& to, const QString& heading, const QString& text, bool keepEmpty)
{
    if (text.isEmpty() && !(keepEmpty && !heading.isEmpty()))
        return;
    if (!to.isEmpty() && !to.endsWith(QLatin1Char('\n')))
        to += QLatin1Char('\n');
    if (!heading.isEmpty())
        to += heading + QLatin1Char('\n');
    to += text;
}

} // namespace

LastRunTexts GetLastRunTexts()
{
    QMutexLocker lock(&textsMutex);
    return texts;
}

void SetLastRunTexts(const LastRunTexts& newTexts)
{
    QMutexLocker lock(&textsMutex);
    texts = newTexts;
}

void ClearLastRunTexts()
{
    SetLastRunTexts({});
}

void AppendLastRunTexts(const QString& heading, const LastRunTexts& added)
{
    QMutexLocker lock(&textsMutex);
    // Every set of a run of all sets is named in the log, also one whose tool printed nothing.
    appendSection(texts.logText, heading, added.logText, true);
    appendSection(texts.logText2, heading, added.logText2, false);
    appendSection(texts.runError, heading, added.runError, false);
}
