#pragma once

// Builds a dialog's controls from one table in dialog units, the way a dialog template would, so each
// dialog keeps its whole layout in one place.

#include <QList>
#include <QSize>
#include <QWidget>

class QDialog;

struct ControlTemplate
{
    enum Kind
    {
        Label,
        Edit,
        PushButton,
        DefaultButton,
        CheckBox,
        ComboBox,
        ListBox,
        GroupBox,
        MenuButton,
    };

    Kind kind;
    // A label or a group box carries the id of the control it names.
    int id;
    // A caption marked for translation in the dialog's class context, or nullptr.
    const char* text;
    int left, top, width, height;
};

// The object name of a control: "okButton" and "cancelButton" for ids 1 and 2, "label1004" for the label
// of control 1004, "group1019" for a group box, "ctl1004" for everything else.
QString ControlObjectName(const ControlTemplate& control);
QString ControlObjectName(int id);

template<class T> T* FindControl(const QWidget* dialog, int id)
{
    return dialog->findChild<T*>(ControlObjectName(id), Qt::FindDirectChildrenOnly);
}

// Creates every control on the dialog, translated in the context of the dialog's class, placed in dialog
// units of the dialog's font, and gives the dialog the template's fixed size.
void BuildDialogTemplate(QDialog* dialog, QSize templateSize, const QList<ControlTemplate>& controls);
