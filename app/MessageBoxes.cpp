#include "MessageBoxes.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

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

bool MessageBoxes::askOkCancel(const QString& text, Icon icon, DefaultButton defaultButton)
{
    const QMessageBox::StandardButton focused
        = defaultButton == DefaultButton::Cancel ? QMessageBox::Cancel : QMessageBox::Ok;
    return onGuiThread([&] {
        return runBox(m_owner, boxIcon(icon), text, QMessageBox::Ok | QMessageBox::Cancel, focused) == QMessageBox::Ok;
    });
}

bool MessageBoxes::askYesNo(const QString& text)
{
    return onGuiThread([&] {
        return runBox(m_owner, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
    });
}

// A question box of its own: a message box cannot scroll, and a long list of paths would push its buttons off
// the screen.
bool MessageBoxes::askYesNoWithList(
    const QString& text, const QString& names, const QString& allNames, const QString& choice, bool* ticked)
{
    return onGuiThread([&] {
        QDialog box(m_owner);
        box.setObjectName(QStringLiteral("questionWithList"));
        box.setWindowTitle(QApplication::applicationDisplayName());
        auto* layout = new QVBoxLayout(&box);
        auto* top = new QHBoxLayout;
        auto* icon = new QLabel(&box);
        const int iconSize = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
        icon->setPixmap(box.style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(iconSize, iconSize));
        icon->setAlignment(Qt::AlignTop);
        top->addWidget(icon);
        auto* label = new QLabel(text, &box);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        top->addWidget(label, 1);
        layout->addLayout(top);
        auto* list = new QPlainTextEdit(names, &box);
        list->setObjectName(QStringLiteral("names"));
        list->setReadOnly(true);
        list->setLineWrapMode(QPlainTextEdit::NoWrap);
        list->setMinimumHeight(list->fontMetrics().lineSpacing() * 10);
        list->setVisible(!names.isEmpty());
        layout->addWidget(list, 1);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Yes | QDialogButtonBox::No, &box);
        if (!allNames.isEmpty() && allNames != names) {
            auto* showAll = buttons->addButton(LoadStringById(StringId::ShowAllNames), QDialogButtonBox::ActionRole);
            showAll->setObjectName(QStringLiteral("showAll"));
            QObject::connect(showAll, &QPushButton::clicked, list, [list, showAll, &allNames] {
                list->setPlainText(allNames);
                showAll->setEnabled(false);
            });
        }
        QCheckBox* choiceBox = nullptr;
        if (!choice.isEmpty()) {
            choiceBox = new QCheckBox(choice, &box);
            layout->addWidget(choiceBox);
        }
        layout->addWidget(buttons);
        buttons->button(QDialogButtonBox::No)->setDefault(true);
        buttons->button(QDialogButtonBox::No)->setFocus();
        QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
        box.resize(std::max(box.sizeHint().width(), 560), box.sizeHint().height());
        const bool yes = box.exec() == QDialog::Accepted;
        if (ticked)
            *ticked = choiceBox && choiceBox->isChecked();
        return yes;
    });
}
