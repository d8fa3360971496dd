#include "CAboutDlg.h"
#include "CExPathDlg.h"
#include "CExTypeDlg.h"
#include "CLogDlg.h"
#include "CMyVelmoraDlg.h"
#include "COptionsDlg.h"
#include "CPasswordDlg.h"
#include "CRestoreDlg.h"
#include "CSetPropDlg.h"
#include "CTextProgressCtrl.h"
#include "DialogTestSupport.h"
#include "KeptRunSupport.h"
#include "ResourceIds.h"
#include "Retention.h"
#include "RetentionFields.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QTranslator>
#include <QTreeWidget>

namespace {

// With VELMORA_SHOTS_DIR set, the window is saved there as a picture to be looked at, in the language of the moment.
void saveShot(QWidget& window, const QString& name)
{
    const QString shots = qEnvironmentVariable("VELMORA_SHOTS_DIR");
    if (shots.isEmpty())
        return;
    const QString language = QCoreApplication::translate("CSetPropDlg", "Set name:") == "Set name:" ? "en" : "ru";
    window.grab().save(QStringLiteral("%1/%2-%3.png").arg(shots, name, language));
}

std::string nameOf(const QWidget* control)
{
    return control->objectName().toStdString();
}

// The text a caption shows and the room its control leaves for it beside a button's margins, a check box's
// box, a group's frame. A label that wraps is measured by its height instead.
void expectCaptionFits(QWidget* control)
{
    QStyle* style = control->style();
    QString text;
    int room = control->width();
    if (auto* label = qobject_cast<QLabel*>(control)) {
        text = Qt::mightBeRichText(label->text()) ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                                                  : label->text();
        if (label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height()) << nameOf(control);
            return;
        }
        const QPixmap picture = label->pixmap();
        EXPECT_LE(picture.width(), control->width()) << nameOf(control);
        EXPECT_LE(picture.height(), control->height()) << nameOf(control);
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
    } else if (auto* progress = qobject_cast<CTextProgressCtrl*>(control)) {
        text = progress->text();
    } else if (auto* list = qobject_cast<QTreeWidget*>(control)) {
        for (int column = 0; column < list->columnCount(); ++column) {
            const QString title = list->headerItem()->text(column);
            EXPECT_LE(list->header()->fontMetrics().horizontalAdvance(title)
                    + 2 * style->pixelMetric(QStyle::PM_HeaderMargin),
                list->header()->sectionSize(column))
                << nameOf(control) << " '" << title.toStdString() << "'";
        }
        return;
    }
    EXPECT_LE(control->fontMetrics().horizontalAdvance(text.remove(QLatin1Char('&'))), room)
        << nameOf(control) << " '" << text.toStdString() << "'";
}

// One control may lie on another only when it lies wholly inside a group box that frames it.
bool mayOverlap(const QWidget* a, const QWidget* b)
{
    return (qobject_cast<const QGroupBox*>(a) && a->geometry().contains(b->geometry()))
        || (qobject_cast<const QGroupBox*>(b) && b->geometry().contains(a->geometry()));
}

// Every control lies inside its window, no two controls overlap, and every caption and list entry is shown
// whole.
void expectNothingCutOff(QDialog& dialog)
{
    SCOPED_TRACE(dialog.objectName().toStdString());
    const QList<QWidget*> controls = dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_FALSE(controls.isEmpty());
    for (qsizetype i = 0; i < controls.size(); ++i) {
        QWidget* control = controls[i];
        EXPECT_TRUE(dialog.rect().contains(control->geometry())) << nameOf(control);
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            if (!mayOverlap(control, controls[j])) {
                EXPECT_FALSE(control->geometry().intersects(controls[j]->geometry()))
                    << nameOf(control) << " and " << nameOf(controls[j]);
            }
        }
        // A control the window hides for good (the main window's Update All) shows no caption to cut off.
        if (control->isHidden())
            continue;
        if (auto* list = qobject_cast<QComboBox*>(control))
            EXPECT_LE(list->sizeHint().width(), list->width()) << nameOf(control);
        else
            expectCaptionFits(control);
    }
}

constexpr quint32 kKeptRunsSet = 3;

// The log viewer's list of kept runs with an entry of every result, the longest words among them.
void keepRunOfEveryResult()
{
    keepRun(kKeptRunsSet, "", JobOutcome::ToolFailed);
    keepRun(kKeptRunsSet, "", JobOutcome::Stopped);
    keepRun(kKeptRunsSet, "", JobOutcome::Done);
    keepRun(kKeptRunsSet, "", JobOutcome::Done, 1);
    keepRun(kKeptRunsSet, "", std::nullopt);
}

void checkEveryWindow()
{
    CMyVelmoraDlg window;
    expectNothingCutOff(window);
    CLogDlg log;
    expectNothingCutOff(log);
    CLogDlg keptRuns;
    keptRuns.m_setId = kKeptRunsSet;
    keptRuns.OnInitDialog();
    EXPECT_EQ(keptRuns.runList()->count(), 5);
    expectNothingCutOff(keptRuns);
    CAboutDlg about;
    expectNothingCutOff(about);
    // With the longest words the retention policy can have, for archives and for a mirror's versions.
    for (const qint32 backupType : {IncrementalArchiving, MirrorCopying}) {
        CSetPropDlg setProperties;
        setProperties.m_set.backupType = backupType;
        SetRetentionPolicy(setProperties.m_set, {9999, 9999, 9999, 9999, 9999, 9999});
        setProperties.m_describeRetention = [](const BackupSet& set) {
            return DescribeRetentionPolicy(RetentionPolicyOf(set), set.backupType == MirrorCopying);
        };
        setProperties.OnInitDialog();
        expectNothingCutOff(setProperties);
        saveShot(setProperties, backupType == MirrorCopying ? "properties-mirror" : "properties");
    }
    // Encrypted, with the note on what each archive type hides.
    CSetPropDlg encrypted;
    encrypted.m_set.encrypt = true;
    encrypted.OnInitDialog();
    for (const int arcType : {0, 1}) {
        encrypted.findChild<QComboBox*>(QStringLiteral("ctl%1").arg(ControlId::ArchiveType))->setCurrentIndex(arcType);
        expectNothingCutOff(encrypted);
    }
    CPasswordDlg question(CPasswordDlg::Subject::Set, QStringLiteral("Documents and photos of the whole family"));
    expectNothingCutOff(question);
    CPasswordDlg archiveQuestion(CPasswordDlg::Subject::Archive, QStringLiteral("/media/usb/backups/Documents.7z"));
    expectNothingCutOff(archiveQuestion);
    // Asked again after a wrong password, with the reason above the question.
    CPasswordDlg askedAgain(CPasswordDlg::Subject::Set, QStringLiteral("Documents and photos of the whole family"),
        nullptr,
        LoadStringById(StringId::PasswordTryAgain)
            .arg(LoadStringById(StringId::WrongPasswordFor)
                     .arg(QStringLiteral("/media/usb/backups/Documents and photos of the whole family.7z"))));
    expectNothingCutOff(askedAgain);
    COptionsDlg options;
    options.OnInitDialog();
    expectNothingCutOff(options);
    saveShot(options, "options");
    CExTypeDlg exType;
    expectNothingCutOff(exType);
    CExPathDlg exPath;
    expectNothingCutOff(exPath);
    CRestoreDlg restore;
    // The button a set found on disk shows, and a tree with its sizes and times.
    restore.importButton()->show();
    const QDateTime time(QDate(2026, 12, 7), QTime(23, 59, 59));
    restore.fillTree(
        {{"a folder", true, false, 0, time, {}}, {"a folder/a file.txt", false, false, 123456789, time, {}}});
    expectNothingCutOff(restore);
}

} // namespace

using WindowLayoutTest = DialogFixture;

TEST_F(WindowLayoutTest, EnglishCaptionsFitTheirControls)
{
    keepRunOfEveryResult();
    checkEveryWindow();
}

TEST_F(WindowLayoutTest, RussianCaptionsFitTheirControls)
{
    QTranslator translator;
    if (!translator.load("velmora_ru", QStringLiteral(VELMORA_TRANSLATIONS_DIR))
        || translator.translate("CSetPropDlg", "Set name:").isEmpty())
        GTEST_SKIP() << "the Russian translation of the windows is not built";
    QCoreApplication::installTranslator(&translator);
    keepRunOfEveryResult();
    checkEveryWindow();
    QCoreApplication::removeTranslator(&translator);
}
