#include "CExPathDlg.h"
#include "CExTypeDlg.h"
#include "COptionsDlg.h"
#include "CSetPropDlg.h"
#include "DialogTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QTranslator>

namespace {

// Every caption and list entry is shown whole, and every control lies inside its dialog.
void expectNothingCutOff(QDialog& dialog)
{
    SCOPED_TRACE(dialog.objectName().toStdString());
    for (QWidget* control : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const std::string name = control->objectName().toStdString();
        EXPECT_TRUE(dialog.rect().contains(control->geometry())) << name;
        if (auto* list = qobject_cast<QComboBox*>(control)) {
            EXPECT_LE(list->sizeHint().width(), list->width()) << name;
            continue;
        }
        // Room a caption leaves beside its text: a button's margins, a check box's box, a group's frame.
        QStyle* style = control->style();
        QString text;
        int room = control->width();
        if (auto* label = qobject_cast<QLabel*>(control)) {
            text = label->text();
        } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
            text = check->text();
            room -= style->pixelMetric(QStyle::PM_IndicatorWidth) + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            text = button->text();
            room -= 2 * style->pixelMetric(QStyle::PM_ButtonMargin);
            if (qobject_cast<QToolButton*>(control))
                room -= style->pixelMetric(QStyle::PM_MenuButtonIndicator);
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            text = group->title();
            room -= 2 * style->pixelMetric(QStyle::PM_LayoutLeftMargin);
        }
        EXPECT_LE(control->fontMetrics().horizontalAdvance(text.remove(QLatin1Char('&'))), room)
            << name << " '" << text.toStdString() << "'";
    }
}

void checkEveryDialog()
{
    CSetPropDlg setProperties;
    setProperties.OnInitDialog();
    expectNothingCutOff(setProperties);
    COptionsDlg options;
    options.OnInitDialog();
    expectNothingCutOff(options);
    CExTypeDlg exType;
    expectNothingCutOff(exType);
    CExPathDlg exPath;
    expectNothingCutOff(exPath);
}

} // namespace

using DialogLayoutTest = DialogFixture;

TEST_F(DialogLayoutTest, EnglishCaptionsFitTheirControls)
{
    checkEveryDialog();
}

TEST_F(DialogLayoutTest, RussianCaptionsFitTheirControls)
{
    QTranslator translator;
    if (!translator.load("velmora_ru", QStringLiteral(VELMORA_TRANSLATIONS_DIR))
        || translator.translate("CSetPropDlg", "Set name:").isEmpty())
        GTEST_SKIP() << "the Russian translation of the dialogs is not built";
    QCoreApplication::installTranslator(&translator);
    checkEveryDialog();
    QCoreApplication::removeTranslator(&translator);
}
