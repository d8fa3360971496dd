#include "UserMessages.h"

#include <QAtomicPointer>
#include <QTextStream>

namespace {

// Without a person to ask, every question is answered with the safe choice: do not go on.
class StandardErrorMessages : public UserMessages
{
public:
    void showMessage(const QString& text, Icon) override { QTextStream(stderr) << text << Qt::endl; }
    bool askOkCancel(const QString& text, Icon, DefaultButton) override
    {
        QTextStream(stderr) << text << Qt::endl;
        return false;
    }
    bool askYesNo(const QString& text) override
    {
        QTextStream(stderr) << text << Qt::endl;
        return false;
    }
};

StandardErrorMessages standardErrorMessages;
QAtomicPointer<UserMessages> installed;

} // namespace

void setUserMessages(UserMessages* messages)
{
    installed.storeRelease(messages);
}

UserMessages& userMessages()
{
    UserMessages* messages = installed.loadAcquire();
    return messages ? *messages : standardErrorMessages;
}
