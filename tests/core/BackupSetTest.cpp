#include "BackupSet.h"
#include "Settings.h"

#include <gtest/gtest.h>

namespace {

meStringArray items(std::initializer_list<const char*> texts)
{
    meStringArray list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

} // namespace

TEST(BackupSetRecord, NewRecordTakesDestinationFromSettingAtConstruction)
{
    MutableSettings().newSetDestination.clear();
    EXPECT_TRUE(BackupSet().target.isEmpty());
    MutableSettings().newSetDestination = QStringLiteral("/media/backup");
    const BackupSet set;
    EXPECT_EQ(set.target, "/media/backup");
    EXPECT_EQ(set.compLevel, 3);
    EXPECT_EQ(set.arcType, 0);
    EXPECT_EQ(set.lastRun, "0");
    MutableSettings().newSetDestination.clear();
}

TEST(BackupSetRecord, LevelAndTypeTablesGiveEmptyTextOutsideTheirRange)
{
    BackupSet set;
    const std::pair<int, const char*> levels[]
        = {{0, "0"}, {1, "1"}, {2, "3"}, {3, "5"}, {4, "7"}, {5, "9"}, {6, ""}, {-1, ""}};
    for (auto [index, text] : levels) {
        set.compLevel = index;
        EXPECT_EQ(CompLevelSwitch(set), QString::fromLatin1(text)) << index;
    }
    set.arcType = 0;
    EXPECT_EQ(ArcTypeName(set), "7z");
    set.arcType = 1;
    EXPECT_EQ(ArcTypeName(set), "zip");
    set.arcType = 2;
    EXPECT_TRUE(ArcTypeName(set).isEmpty());
}

TEST(SplitList, CutsAtSeparatorRunsAndKeepsTokensUntrimmed)
{
    meStringArray list = items({"stale"});
    EXPECT_EQ(SplitList(list, "  ", ";"), 0);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(SplitList(list, "abc", ";"), 1);
    EXPECT_EQ(list, items({"abc"}));
    EXPECT_EQ(SplitList(list, "a;;b;", ";"), 2);
    EXPECT_EQ(list, items({"a", "b"}));
    EXPECT_EQ(SplitList(list, "a; b", ";"), 2);
    EXPECT_EQ(list, items({"a", " b"}));
}

TEST(SplitList, SeparatorsOnlyGiveOneEmptyItem)
{
    meStringArray list;
    EXPECT_EQ(SplitList(list, ";", ";"), 1);
    EXPECT_EQ(list, items({""}));
    EXPECT_EQ(SplitList(list, ";;;", ";"), 1);
}

TEST(JoinList, TrimsSeparatorsOnlyAtTheEnds)
{
    EXPECT_EQ(JoinList(items({}), ";"), "");
    EXPECT_EQ(JoinList(items({"a", "b"}), ";"), "a;b");
    EXPECT_EQ(JoinList(items({"x;", "y"}), ";"), "x;;y");
    EXPECT_EQ(JoinList(items({"*.tmp", "*.bak"}), " "), "*.tmp *.bak");
}

TEST(SortList, IgnoresCaseAndKeepsEqualItemsInOrder)
{
    meStringArray list = items({"b", "A", "a"});
    SortList(list);
    EXPECT_EQ(list, items({"A", "a", "b"}));
    meStringArray cyrillic = items({"Яблоко", "абв", "Абв"});
    SortList(cyrillic);
    EXPECT_EQ(cyrillic, items({"абв", "Абв", "Яблоко"}));
}

TEST(ExclusionEntries, TypesKeepTheirCaseAndGetAStar)
{
    BackupSet set;
    AddExType(set, ".TXT");
    AddExType(set, "txt");
    AddExType(set, "txt");
    EXPECT_EQ(set.exTypeList, items({"*.TXT", "*txt"}));
    EXPECT_TRUE(HasExType(set, "*txt"));
}

TEST(ExclusionEntries, EmptyEntriesAreRefusedBecauseTheyWouldExcludeEverything)
{
    BackupSet set;
    AddExType(set, "");
    AddExType(set, "/");
    AddExPath(set, "");
    AddExPath(set, "///");
    EXPECT_TRUE(set.exTypeList.isEmpty());
    EXPECT_TRUE(set.exPathList.isEmpty());
}

TEST(ExclusionEntries, FoldersEndInOneSeparatorAndAbsoluteOnesKeepTheirRoot)
{
    BackupSet set;
    AddExPath(set, "/Data/Cache//");
    AddExPath(set, "/Data/Cache");
    AddExPath(set, "node_modules");
    AddExPath(set, "//srv/x");
    EXPECT_EQ(set.exPathList, items({"/Data/Cache/", "node_modules/", "/srv/x/"}));
}

TEST(ExclusionEntries, EntryContainedInAListedOneIsNotAdded)
{
    BackupSet set;
    set.exPathList = items({"/data/sub/"});
    AddExPath(set, "/data/sub/");
    AddExPath(set, "data/sub");
    EXPECT_EQ(set.exPathList, items({"/data/sub/"}));
    EXPECT_EQ(ListIndexOf(set.exPathList, "sub"), 0);
    EXPECT_EQ(ListIndexOf(set.exPathList, "SUB"), -1);
}
