#include "MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QThread>

namespace {

QMessageBox::Icon boxIcon(UserMessages::Icon icon)
{
    switch (icon) {
    case UserMessages::Icon::Question:
        return QMessageBox::Question;
    case UserMessages::Icon::Warning:
        return QMessageBox::Warning;
    case UserMessages::Icon::Error:
        return QMessageBox::Critical;
    case UserMessages::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Runs the box on the window's thread; a worker waits for the answer.
template<typename Function> auto onGuiThread(Function function)
{
    using Result = decltype(function());
    if (QThread::currentThread() == qApp->thread())
        return function();
    Result result {};
    QMetaObject::invokeMethod(
        qApp, [&] { result = function(); }, Qt::BlockingQueuedConnection);
    return result;
}

int runBox(QWidget* owner, QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons, owner);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

void MessageBoxes::showMessage(const QString& text, Icon icon)
{
    onGuiThread([&] { return runBox(m_owner, boxIcon(icon), text, QMessageBox::Ok, QMessageBox::Ok); });
}

void MessageBoxes::showMessageWithText(const QString& text, const QString& copyText, Icon icon)
{
    onGuiThread([&] {
        QMessageBox box(boxIcon(icon), QApplication::applicationDisplayName(), text, QMessageBox::Ok, m_owner);
        // The details are a read-only text box; opened at once, since they are the point of the message.
        box.setDetailedText(copyText);
        for (QAbstractButton* button : box.buttons()) {
            if (box.buttonRole(button) == QMessageBox::ActionRole)
                button->click();
        }
        return box.exec();
    });
}

bool MessageBoxes::askOkCancel(const QString& text, Icon icon)
{
    return onGuiThread([&] {
        return runBox(m_owner, boxIcon(icon), text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
            == QMessageBox::Ok;
    });
}

bool MessageBoxes::askYesNo(const QString& text)
{
    return onGuiThread([&] {
        return runBox(m_owner, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
    });
}

bool MessageBoxes::askYesNoWithChoice(const QString& text, const QString& details, const QString& choice, bool* ticked)
{
    return onGuiThread([&] {
        QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text,
            QMessageBox::Yes | QMessageBox::No, m_owner);
        box.setDefaultButton(QMessageBox::No);
        if (!details.isEmpty())
            box.setDetailedText(details);
        if (!choice.isEmpty())
            box.setCheckBox(new QCheckBox(choice, &box));
        const bool yes = box.exec() == QMessageBox::Yes;
        if (ticked)
            *ticked = box.checkBox() && box.checkBox()->isChecked();
        return yes;
    });
}
