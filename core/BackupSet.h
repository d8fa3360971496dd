#pragma once

// The value record of one backup set, its small tables and the operations on its exclusion lists.

#include <QString>
#include <QStringList>

// Ordered, growable list of texts with value semantics.
class meStringArray : public QStringList
{
public:
    using QStringList::QStringList;
    meStringArray() = default;
    meStringArray(const QStringList& other)
        : QStringList(other)
    {
    }
};

// The type of the two exclusion lists; sorting is left to callers (SortList).
class meSortStringArray : public meStringArray
{
public:
    using meStringArray::meStringArray;
    meSortStringArray() = default;
    meSortStringArray(const QStringList& other)
        : meStringArray(other)
    {
    }
};

enum BackupType : qint32
{
    FullArchiving = 0,
    IncrementalArchiving = 1,
    MirrorCopying = 2,
};

struct BackupSet
{
    // Takes the destination preset from the current defaultArcLocation setting.
    BackupSet();

    quint32 id = 0;
    QString name;
    QString arcName;
    QString source;
    QString target;
    meSortStringArray exTypeList;
    meSortStringArray exPathList;
    qint32 compLevel = 3;
    qint32 arcType = 0;
    bool solid = false;
    QString lastRun = QStringLiteral("0");
    qint32 backupType = FullArchiving;

    bool operator==(const BackupSet&) const = default;
};

// The one path separator of every path the program forms.
inline constexpr QChar kPathSeparator = QLatin1Char('/');
// Separator of the stored form of a list.
inline const QString kListSeparator = QStringLiteral(";");

QString CompLevelSwitch(const BackupSet& set);
QString ArcTypeName(const BackupSet& set);

int SplitList(meStringArray& list, const QString& value, const QString& separator);
QString JoinList(const meStringArray& list, const QString& separator);
int ListIndexOf(const meStringArray& list, const QString& key);
void SortList(meStringArray& list);

// Case-insensitive ordering used by SortList: each character folded to lower case, then compared by code.
int CompareFolded(const QString& a, const QString& b);

void AddExType(BackupSet& set, const QString& text);
void AddExPath(BackupSet& set, const QString& text);
bool HasExType(const BackupSet& set, const QString& text);
bool HasExPath(const BackupSet& set, const QString& text);
