#include "AppIcons.h"
#include "CAboutDlg.h"
#include "RecordingMessages.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "ShowHelp.h"
#include "TempHome.h"
#include "UserFolders.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

class HelpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedLangID = Settings().languageId;
        setUrlOpener([this](const QUrl& url) {
            opened.append(url);
            return true;
        });
    }
    void TearDown() override
    {
        setUrlOpener({});
        MutableSettings().languageId = savedLangID;
    }
    QString folder() const { return programFolder.path() + QLatin1Char('/'); }
    void writeHelpPages()
    {
        QDir(programFolder.path()).mkpath(QStringLiteral("help"));
        writeFile(programFolder.filePath(QStringLiteral("help/help_en.html")), "<html>en</html>");
        writeFile(programFolder.filePath(QStringLiteral("help/help_ru.html")), "<html>ru</html>");
    }

    QTemporaryDir programFolder;
    qint32 savedLangID = 0;
    QList<QUrl> opened;
};

TEST_F(HelpTest, OpensThePageOfTheCurrentLanguage)
{
    writeHelpPages();
    // Only 1 is Russian; any other value, such as 2, falls back to English. The page follows languageId as it is
    // now, so a language switched during the run takes effect at once.
    for (const qint32 language : {0, 1, 2}) {
        MutableSettings().languageId = language;
        ShowHelp(folder());
    }
    const QList<QUrl> expected = {
        QUrl::fromLocalFile(folder() + "help/help_en.html"),
        QUrl::fromLocalFile(folder() + "help/help_ru.html"),
        QUrl::fromLocalFile(folder() + "help/help_en.html"),
    };
    EXPECT_EQ(opened, expected);
}

TEST_F(HelpTest, MissingHelpFolderDoesNothingVisible)
{
    MutableSettings().languageId = 1;
    EXPECT_EQ(HelpPagePath(), ModuleFolder() + "help/help_ru.html");
    ShowHelp(folder());
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(HelpTest, ADesktopThatCannotOpenThePageOrAFolderSaysSoAndNamesIt)
{
    writeHelpPages();
    RecordingMessages messages;
    setUrlOpener([](const QUrl&) { return false; });
    MutableSettings().languageId = 0;
    ShowHelp(folder());
    EXPECT_FALSE(OpenLocalPath(QStringLiteral("/media/backup")));
    EXPECT_EQ(messages.messages(),
        QStringList(
            {"This desktop has no program to open '" + folder() + "help/help_en.html'. Please open it yourself.",
                "This desktop has no program to open '/media/backup'. Please open it yourself."}));
}

namespace {

// Sends a key to the dialog that exec() shows; a dialog the key did not close ends with -1, so the test fails
// instead of waiting.
void pressInModalDialog(int key)
{
    QTimer::singleShot(0, [key] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!box)
            return;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
        if (box->isVisible())
            box->done(-1);
    });
}

} // namespace

TEST(AboutBox, EnterTakesTheDefaultOkButtonAndEscCloses)
{
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About Velmora");
    QPushButton* ok = about.findChild<QPushButton*>("ctl1");
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());

    pressInModalDialog(Qt::Key_Return);
    EXPECT_EQ(about.exec(), QDialog::Accepted);
    pressInModalDialog(Qt::Key_Escape);
    EXPECT_EQ(about.exec(), QDialog::Rejected);
}

TEST(AppIcons, EveryRowKindHasItsOwnImage)
{
    EXPECT_TRUE(AppIcon(999).isNull());
    const int ids[] = {IconId::Program, IconId::FullSevenZip, IconId::FullZip, IconId::IncrementalZip,
        IconId::IncrementalSevenZip, IconId::Mirror};
    QList<QImage> images;
    for (int id : ids) {
        const QIcon icon = AppIcon(id);
        ASSERT_FALSE(icon.isNull()) << id;
        EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16))) << id;
        EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32))) << id;
        images.append(icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32));
    }
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images[i], images[j]) << ids[i] << " and " << ids[j] << " look the same at 16 pixels";
}
