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
