#include "StringTable.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTranslator>

#include <gtest/gtest.h>

TEST(StringTable, EnglishTextsByIdAndEmptyForUnknownIds)
{
    EXPECT_EQ(LoadStringById(104), "Run this backup set: '%s'?");
    EXPECT_EQ(LoadStringById(109), "Programs (*)");
    EXPECT_EQ(LoadStringById(122), "READY.");
    EXPECT_TRUE(LoadStringById(200).isEmpty());
    EXPECT_TRUE(LoadStringById(112).isEmpty());
    for (int id : StringTableIds())
        EXPECT_FALSE(LoadStringById(id).isEmpty()) << id;
}

TEST(StringTable, NoTextNamesAFunctionOfTheProgram)
{
    // A person cannot act on "UpdateBackupSet() error."; every text says what failed in the user's words.
    const QRegularExpression call(QStringLiteral("\\b\\w+\\(\\)"));
    const QRegularExpression functionName(QStringLiteral("\\b[A-Z][a-z]+(?:[A-Z][a-z]+){2,}\\b"));
    QTranslator translator;
    ASSERT_TRUE(translator.load("velmora_ru", QStringLiteral(VELMORA_TRANSLATIONS_DIR)));
    QCoreApplication::installTranslator(&translator);
    for (int id : StringTableIds()) {
        for (const QString& text : {EnglishStringById(id), LoadStringById(id)}) {
            EXPECT_FALSE(call.match(text).hasMatch()) << id << ": " << text.toStdString();
            EXPECT_FALSE(functionName.match(text).hasMatch()) << id << ": " << text.toStdString();
        }
    }
    QCoreApplication::removeTranslator(&translator);
}

TEST(StringTable, FormatFillsThePlaceholder)
{
    EXPECT_EQ(LoadFormattedString(104, "Docs"), "Run this backup set: 'Docs'?");
    EXPECT_EQ(LoadFormattedString(103, "7"), "Error when saving backupset #7");
    EXPECT_EQ(FormatString("100%", "x"), "100%");
}

TEST(StringTable, RussianTranslationCoversEveryIdAndOutlivesALanguageSwitch)
{
    QTranslator translator;
    ASSERT_TRUE(translator.load("velmora_ru", QStringLiteral(VELMORA_TRANSLATIONS_DIR)));
    QCoreApplication::installTranslator(&translator);
    for (int id : StringTableIds()) {
        const QString text = LoadStringById(id);
        EXPECT_NE(text, EnglishStringById(id)) << id;
        EXPECT_EQ(text.contains("%s"), EnglishStringById(id).contains("%s")) << id;
        EXPECT_EQ(text.contains("%d"), EnglishStringById(id).contains("%d")) << id;
    }
    EXPECT_EQ(LoadStringById(122), "ГОТОВО.");
    // Choosing English in the menu only changes the setting; texts stay Russian until the restart.
    MutableSettings().languageId = 0;
    EXPECT_EQ(LoadStringById(122), "ГОТОВО.");
    QCoreApplication::removeTranslator(&translator);
    EXPECT_EQ(LoadStringById(122), "READY.");
}
