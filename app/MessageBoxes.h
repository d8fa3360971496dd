#pragma once

// Message boxes for the texts and questions of the core and engine, owned by the main window and
// always shown on the window's thread, whichever thread asks.

#include "UserMessages.h"

#include <QPointer>
#include <QWidget>

class MessageBoxes : public UserMessages
{
public:
    void setOwner(QWidget* owner) { m_owner = owner; }

    void showMessage(const QString& text, Icon icon = Icon::None) override;
    void showMessageWithText(const QString& text, const QString& copyText, Icon icon = Icon::None) override;
    bool askOkCancel(
        const QString& text, Icon icon = Icon::None, DefaultButton defaultButton = DefaultButton::Ok) override;
    bool askYesNo(const QString& text) override;
    bool askYesNoWithList(const QString& text, const QString& names, const QString& allNames, const QString& choice,
        bool* ticked) override;

private:
    QPointer<QWidget> m_owner;
};
