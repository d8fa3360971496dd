#pragma once

// The message interface of velmora-run: messages go to standard error, and since nobody is there to answer,
// every question gets the safe answer, Cancel or No.

#include "UserMessages.h"

class TerminalMessages : public UserMessages
{
public:
    // With --allow-empty-source the one Yes / No question, whether to back up an empty source, gets Yes.
    explicit TerminalMessages(bool answerYes = false)
        : m_answerYes(answerYes)
    {
    }

    void showMessage(const QString& text, Icon icon = Icon::None) override;
    bool askOkCancel(
        const QString& text, Icon icon = Icon::None, DefaultButton defaultButton = DefaultButton::Ok) override;
    bool askYesNo(const QString& text) override;

private:
    bool m_answerYes;
};
