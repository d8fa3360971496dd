#pragma once

// Builds a window's controls from one table in dialog units, the way a dialog template would, so each
// window and dialog keeps its whole layout in one place.

#include <QList>
#include <QPushButton>
#include <QSize>
#include <QWidget>

#include <initializer_list>
#include <utility>

class QAction;
class QDialog;
class QMenu;

struct ControlTemplate
{
    enum Kind
    {
        // A caption level with the control of the same id beside it; its mnemonic moves the focus there.
        Label,
        Edit,
        PushButton,
        DefaultButton,
        CheckBox,
        ComboBox,
        ListBox,
        GroupBox,
        MenuButton,
        // The list of backup sets (CMyListCtrl).
        TreeList,
        // The progress bar with a text over it (CTextProgressCtrl).
        TextProgress,
        // A plain-text box the user reads, selects and copies from but cannot change.
        ReadOnlyText,
        // A place for a picture, which the window puts in.
        Icon,
        // One link, reported by the label's linkActivated.
        Link,
        EtchedLine,
        // Text that wraps at word boundaries, top-aligned.
        StaticText,
        // A whole number with arrows; the dialog sets its range.
        SpinBox,
        // A time of day, hours and minutes.
        TimeEdit,
    };

    Kind kind;
    // A label or a group box carries the id of the control it names.
    int id;
    // A caption marked for translation in the dialog's class context, or nullptr.
    const char* text;
    int left, top, width, height;
    // The object name, for a control whose name is not made from its id; nullptr otherwise.
    const char* name = nullptr;
};

// The object name of a control: its own name where the template gives one, otherwise "okButton" and
// "cancelButton" for ids 1 and 2, "label1004" for the label of control 1004, "group1019" for a group box,
// "ctl1004" for everything else.
QString ControlObjectName(const ControlTemplate& control);
QString ControlObjectName(int id);

template<class T> T* FindControl(const QWidget* dialog, int id)
{
    return dialog->findChild<T*>(ControlObjectName(id), Qt::FindDirectChildrenOnly);
}

template<class T> T* FindControl(const QWidget* dialog, const char* name)
{
    return dialog->findChild<T*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

// Connects each button of the table, found by its id, to its handler on the dialog; returns the buttons in
// the table's order.
template<class Dialog>
QList<QPushButton*> ConnectButtons(Dialog* dialog, std::initializer_list<std::pair<int, void (Dialog::*)()>> buttons)
{
    QList<QPushButton*> found;
    for (const auto& [id, handler] : buttons) {
        auto* button = FindControl<QPushButton>(dialog, id);
        QObject::connect(button, &QPushButton::clicked, dialog, handler);
        found.append(button);
    }
    return found;
}

// Names the dialog after its class and gives it the title (marked for translation in the class's context;
// nullptr leaves the title alone). Creates every control on the dialog in the table's order (which is the
// tab order), translated in that context, placed in dialog units of the dialog's font and topOffset pixels
// further down (the height of a menu bar above the template), and gives the dialog the template's fixed
// size plus that offset.
void BuildDialogTemplate(
    QDialog* dialog, const char* title, QSize templateSize, const QList<ControlTemplate>& controls, int topOffset = 0);

// Adds a menu command named "action<commandId>", the name by which tests and the menus' owners find it.
QAction* AddMenuCommand(QMenu* menu, int commandId, const QString& text);
