#pragma once

// The one way core and engine code speaks to the person at the screen. The window program installs
// message boxes; tests install a recording fake; without either, texts go to standard error.

#include <QString>

class UserMessages
{
public:
    enum class Icon
    {
        None,
        Question,
        Warning,
        Error,
    };
    // The button Enter and a hasty click take: Cancel for a question whose OK destroys something.
    enum class DefaultButton
    {
        Ok,
        Cancel,
    };

    virtual ~UserMessages() = default;
    // A message with only an OK button; returns when it has been read.
    virtual void showMessage(const QString& text, Icon icon = Icon::None) = 0;
    // A message with a text to copy from (commands, lines for a file), shown so that it can be selected whole.
    virtual void showMessageWithText(const QString& text, const QString& copyText, Icon icon = Icon::None)
    {
        showMessage(text + QStringLiteral("\n\n") + copyText, icon);
    }
    // An OK / Cancel question; true for OK.
    virtual bool askOkCancel(
        const QString& text, Icon icon = Icon::None, DefaultButton defaultButton = DefaultButton::Ok)
        = 0;
    // A Yes / No question whose default answer is No; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // A Yes / No question whose default answer is No, with a list under it (names, one a line, which may end
    // with a line saying how many more there are; allNames, when it differs, can replace it) and a box to tick,
    // unticked at first (none when choice is empty); true for Yes, and *ticked tells whether the box was ticked.
    // Without a way to show the box it is never ticked.
    virtual bool askYesNoWithList(
        const QString& text, const QString& names, const QString& allNames, const QString& choice, bool* ticked)
    {
        Q_UNUSED(allNames)
        Q_UNUSED(choice)
        if (ticked)
            *ticked = false;
        return askYesNo(names.isEmpty() ? text : text + QStringLiteral("\n\n") + names);
    }
};

// Installs the implementation used from then on (not owned); nullptr restores the standard-error one.
void setUserMessages(UserMessages* messages);
UserMessages& userMessages();
