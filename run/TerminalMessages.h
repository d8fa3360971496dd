#pragma once

// The message interface of velmora-run: messages go to standard error, and since nobody is there to answer,
// every question gets the safe answer, Cancel or No.

#include "UserMessages.h"

class TerminalMessages : public UserMessages
{
public:
    void showMessage(const QString& text, Icon icon = Icon::None) override;
    bool askOkCancel(const QString& text, Icon icon = Icon::None) override;
    bool askYesNo(const QString& text) override;
};
