#include "LastRun.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex textsMutex;
LastRunTexts texts;

void appendSection(QString& to, const QString& heading, const QString& text)
{
    if (text.isEmpty())
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
    appendSection(texts.logText, heading, added.logText);
    appendSection(texts.logText2, heading, added.logText2);
    appendSection(texts.runError, heading, added.runError);
}
