#include "RecordingMessages.h"

#include <QMutexLocker>

RecordingMessages::RecordingMessages()
{
    setUserMessages(this);
}

RecordingMessages::~RecordingMessages()
{
    setUserMessages(nullptr);
}

void RecordingMessages::showMessage(const QString& text, Icon)
{
    QMutexLocker lock(&m_mutex);
    m_messages.append(text);
}

bool RecordingMessages::askOkCancel(const QString& text, Icon)
{
    QMutexLocker lock(&m_mutex);
    m_questions.append(text);
    return m_answers.isEmpty() ? false : m_answers.dequeue();
}

bool RecordingMessages::askYesNo(const QString& text)
{
    return askOkCancel(text);
}

bool RecordingMessages::askYesNoWithList(
    const QString& text, const QString& names, const QString& allNames, const QString& choice, bool* ticked)
{
    QMutexLocker lock(&m_mutex);
    m_questions.append(text);
    m_names.append(names);
    m_allNames.append(allNames);
    m_choices.append(choice);
    const bool tick = !m_ticks.isEmpty() && m_ticks.dequeue();
    if (ticked)
        *ticked = tick && !choice.isEmpty();
    return m_answers.isEmpty() ? false : m_answers.dequeue();
}

void RecordingMessages::setNextChoice(bool ticked)
{
    QMutexLocker lock(&m_mutex);
    m_ticks.enqueue(ticked);
}

QStringList RecordingMessages::names() const
{
    QMutexLocker lock(&m_mutex);
    return m_names;
}

QStringList RecordingMessages::allNames() const
{
    QMutexLocker lock(&m_mutex);
    return m_allNames;
}

QStringList RecordingMessages::choices() const
{
    QMutexLocker lock(&m_mutex);
    return m_choices;
}

void RecordingMessages::setNextAnswer(bool answer)
{
    QMutexLocker lock(&m_mutex);
    m_answers.enqueue(answer);
}

QStringList RecordingMessages::messages() const
{
    QMutexLocker lock(&m_mutex);
    return m_messages;
}

QStringList RecordingMessages::questions() const
{
    QMutexLocker lock(&m_mutex);
    return m_questions;
}
