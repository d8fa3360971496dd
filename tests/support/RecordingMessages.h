#pragma once

// A scripted stand-in for message boxes: records every text and answers questions from a queue.

#include "UserMessages.h"

#include <QMutex>
#include <QQueue>
#include <QStringList>

class RecordingMessages : public UserMessages
{
public:
    // Installs itself for its lifetime.
    RecordingMessages();
    ~RecordingMessages() override;

    void showMessage(const QString& text, Icon icon = Icon::None) override;
    bool askOkCancel(
        const QString& text, Icon icon = Icon::None, DefaultButton defaultButton = DefaultButton::Ok) override;
    bool askYesNo(const QString& text) override;
    // Recorded as a question (its text), with its lists and choice kept apart.
    bool askYesNoWithList(const QString& text, const QString& names, const QString& allNames, const QString& choice,
        bool* ticked) override;

    // The next question gets this answer; unscripted questions are answered with Cancel / No.
    void setNextAnswer(bool answer);
    // The next question with a box to tick gets it ticked or not; unscripted, it stays unticked.
    void setNextChoice(bool ticked);

    QStringList messages() const;
    QStringList questions() const;
    // The lists, whole lists and the box's text of each question that had them, in order.
    QStringList names() const;
    QStringList allNames() const;
    QStringList choices() const;
    // The default button of each OK / Cancel question, in the order asked (Yes / No questions are not in it).
    QList<DefaultButton> defaultButtons() const;

private:
    // With the lock held.
    bool answer(const QString& question);

    mutable QMutex m_mutex;
    QStringList m_messages;
    QStringList m_questions;
    QList<DefaultButton> m_defaultButtons;
    QQueue<bool> m_answers;
    QStringList m_names;
    QStringList m_allNames;
    QStringList m_choices;
    QQueue<bool> m_ticks;
};
