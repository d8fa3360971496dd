#include "DialogTemplate.h"

#include "CMyListCtrl.h"
#include "CTextProgressCtrl.h"
#include "DialogUnits.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>

QString ControlObjectName(const ControlTemplate& control)
{
    if (control.name)
        return QLatin1String(control.name);
    switch (control.kind) {
    case ControlTemplate::Label:
        return QStringLiteral("label%1").arg(control.id);
    case ControlTemplate::GroupBox:
        return QStringLiteral("group%1").arg(control.id);
    default:
        return ControlObjectName(control.id);
    }
}

QString ControlObjectName(int id)
{
    if (id == 1)
        return QStringLiteral("okButton");
    if (id == 2)
        return QStringLiteral("cancelButton");
    return QStringLiteral("ctl%1").arg(id);
}

namespace {

QWidget* createControl(QDialog* dialog, const ControlTemplate& control, const QString& text)
{
    switch (control.kind) {
    case ControlTemplate::Label: {
        // A label shares its row with the control it names, so its text sits level with the control's.
        auto* label = new QLabel(text, dialog);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return label;
    }
    case ControlTemplate::Edit:
        return new QLineEdit(dialog);
    case ControlTemplate::PushButton:
    case ControlTemplate::DefaultButton: {
        auto* button = new QPushButton(text, dialog);
        // Only the template's default button answers Enter, whichever button had the focus last.
        button->setAutoDefault(false);
        button->setDefault(control.kind == ControlTemplate::DefaultButton);
        return button;
    }
    case ControlTemplate::CheckBox:
        return new QCheckBox(text, dialog);
    case ControlTemplate::ComboBox:
        return new QComboBox(dialog);
    case ControlTemplate::SpinBox:
        return new QSpinBox(dialog);
    case ControlTemplate::TimeEdit: {
        auto* edit = new QTimeEdit(dialog);
        edit->setDisplayFormat(QStringLiteral("HH:mm"));
        return edit;
    }
    case ControlTemplate::ListBox:
        return new QListWidget(dialog);
    case ControlTemplate::GroupBox:
        return new QGroupBox(text, dialog);
    case ControlTemplate::MenuButton: {
        auto* button = new QToolButton(dialog);
        button->setText(text);
        button->setPopupMode(QToolButton::InstantPopup);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        return button;
    }
    case ControlTemplate::TreeList:
        return new CMyListCtrl(dialog);
    case ControlTemplate::TextProgress:
        return new CTextProgressCtrl(dialog);
    case ControlTemplate::ReadOnlyText: {
        auto* box = new QPlainTextEdit(dialog);
        box->setReadOnly(true);
        // Read-only still lets the user select with the keyboard and copy, not only with the mouse.
        box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        return box;
    }
    case ControlTemplate::Icon: {
        auto* icon = new QLabel(dialog);
        icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return icon;
    }
    case ControlTemplate::Link: {
        auto* link = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()), dialog);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        return link;
    }
    case ControlTemplate::EtchedLine: {
        auto* line = new QFrame(dialog);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }
    case ControlTemplate::StaticText: {
        auto* label = new QLabel(text, dialog);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    }
    return nullptr;
}

} // namespace

void BuildDialogTemplate(
    QDialog* dialog, const char* title, QSize templateSize, const QList<ControlTemplate>& controls, int topOffset)
{
    const DialogUnits units(dialog->font());
    const char* context = dialog->metaObject()->className();
    dialog->setObjectName(QLatin1String(context));
    if (title)
        dialog->setWindowTitle(QCoreApplication::translate(context, title));
    QList<QWidget*> created;
    for (const ControlTemplate& control : controls) {
        const QString text = control.text ? QCoreApplication::translate(context, control.text) : QString();
        QWidget* widget = createControl(dialog, control, text);
        widget->setObjectName(ControlObjectName(control));
        widget->setGeometry(
            units.rect(control.left, control.top, control.width, control.height).translated(0, topOffset));
        created.append(widget);
    }
    // A label's mnemonic moves the focus to the control it names.
    for (int i = 0; i < controls.size(); ++i) {
        if (controls[i].kind != ControlTemplate::Label)
            continue;
        auto* label = static_cast<QLabel*>(created[i]);
        for (int j = 0; j < controls.size(); ++j) {
            if (controls[j].kind != ControlTemplate::Label && controls[j].kind != ControlTemplate::GroupBox
                && controls[j].id == controls[i].id) {
                label->setBuddy(created[j]);
                break;
            }
        }
    }
    dialog->setFixedSize(units.x(templateSize.width()), units.y(templateSize.height()) + topOffset);
}

QAction* AddMenuCommand(QMenu* menu, int commandId, const QString& text)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QStringLiteral("action%1").arg(commandId));
    return action;
}
