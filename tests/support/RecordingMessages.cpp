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

bool RecordingMessages::askOkCancel(const QString& text, Icon, DefaultButton defaultButton)
{
    QMutexLocker lock(&m_mutex);
    m_defaultButtons.append(defaultButton);
    return answer(text);
}

bool RecordingMessages::askYesNo(const QString& text)
{
    QMutexLocker lock(&m_mutex);
    return answer(text);
}

bool RecordingMessages::answer(const QString& question)
{
    m_questions.append(question);
    return m_answers.isEmpty() ? false : m_answers.dequeue();
}

bool RecordingMessages::askYesNoWithList(
    const QString& text, const QString& names, const QString& allNames, const QString& choice, bool* ticked)
{
    QMutexLocker lock(&m_mutex);
    m_names.append(names);
    m_allNames.append(allNames);
    m_choices.append(choice);
    const bool tick = !m_ticks.isEmpty() && m_ticks.dequeue();
    if (ticked)
        *ticked = tick && !choice.isEmpty();
    return answer(text);
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

QList<UserMessages::DefaultButton> RecordingMessages::defaultButtons() const
{
    QMutexLocker lock(&m_mutex);
    return m_defaultButtons;
}
