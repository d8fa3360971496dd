#include "DialogTemplate.h"
#include "CMyListCtrl.h"
#include "CTextProgressCtrl.h"
#include "DialogUnits.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

namespace {

class Recorder : public QDialog
{
public:
    void record() { ++clicks; }
    int clicks = 0;
};

// A window with a menu bar 20 pixels high above a template of every kind the windows use.
struct TemplateWindow
{
    TemplateWindow()
    {
        using C = ControlTemplate;
        BuildDialogTemplate(&dialog, "Template", QSize(200, 100),
            {
                {C::Label, 1004, "&Name:", 7, 7, 40, 14},
                {C::Edit, 1004, nullptr, 50, 7, 100, 14},
                {C::TreeList, 1000, nullptr, 7, 25, 100, 40},
                {C::TextProgress, 1046, nullptr, 7, 70, 100, 14},
                {C::ReadOnlyText, 1045, nullptr, 110, 25, 80, 40},
                {C::Link, 1016, "Read <the> help", 110, 70, 80, 8},
                {C::DefaultButton, 1, "OK", 140, 80, 50, 14, "ctl1"},
                {C::PushButton, 2, "Cancel", 7, 86, 50, 14},
            },
            20);
    }
    Recorder dialog;
};

} // namespace

TEST(DialogTemplate, NamesPlacesAndSizesEveryControlBelowTheOffset)
{
    TemplateWindow window;
    QDialog& dialog = window.dialog;
    const DialogUnits units(dialog.font());
    EXPECT_EQ(dialog.size(), QSize(units.x(200), units.y(100) + 20));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "the window keeps the template's size";
    EXPECT_EQ(dialog.objectName(), dialog.metaObject()->className());
    EXPECT_EQ(dialog.windowTitle(), "Template");

    auto* label = dialog.findChild<QLabel*>("label1004");
    auto* edit = FindControl<QLineEdit>(&dialog, 1004);
    ASSERT_TRUE(label && edit);
    EXPECT_EQ(edit->geometry(), units.rect(50, 7, 100, 14).translated(0, 20));
    EXPECT_EQ(label->buddy(), edit) << "the label's mnemonic moves to its field";
    EXPECT_NE(FindControl<CMyListCtrl>(&dialog, 1000), nullptr);
    EXPECT_NE(FindControl<CTextProgressCtrl>(&dialog, 1046), nullptr);
    EXPECT_NE(FindControl<QPushButton>(&dialog, "ctl1"), nullptr) << "a name of its own replaces okButton";
    EXPECT_NE(FindControl<QPushButton>(&dialog, 2), nullptr);
    EXPECT_EQ(FindControl<QPushButton>(&dialog, 2)->objectName(), "cancelButton");

    auto* text = FindControl<QPlainTextEdit>(&dialog, 1045);
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_TRUE(text->textInteractionFlags() & Qt::TextSelectableByKeyboard);

    // The caption is text, not markup, inside the one link.
    auto* link = FindControl<QLabel>(&dialog, 1016);
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().contains("Read &lt;the&gt; help"));
    EXPECT_TRUE(link->text().startsWith("<a "));
}

TEST(DialogTemplate, OnlyTheDefaultButtonAnswersEnterAndButtonsReachTheirHandlers)
{
    TemplateWindow window;
    Recorder& dialog = window.dialog;
    auto* ok = FindControl<QPushButton>(&dialog, "ctl1");
    auto* cancel = FindControl<QPushButton>(&dialog, 2);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(ok->autoDefault());
    EXPECT_FALSE(cancel->isDefault());
    EXPECT_FALSE(cancel->autoDefault()) << "a focused button would take Enter from the default one";

    const QList<QPushButton*> connected = ConnectButtons(&dialog, {{2, &Recorder::record}});
    ASSERT_EQ(connected, QList<QPushButton*>({cancel}));
    cancel->click();
    EXPECT_EQ(dialog.clicks, 1);
}

TEST(DialogTemplate, MenuCommandsAreNamedByTheirIds)
{
    QMenu menu;
    QAction* action = AddMenuCommand(&menu, 32778, "&Run");
    EXPECT_EQ(action->objectName(), "action32778");
    EXPECT_EQ(action->text(), "&Run");
    EXPECT_EQ(menu.actions(), QList<QAction*>({action}));
}
