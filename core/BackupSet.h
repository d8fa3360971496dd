#pragma once

// The value record of one backup set, its small tables and the operations on its exclusion lists.

#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <variant>

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

// When a set runs by itself, through a timer of the user's systemd instance.
enum ScheduleKind : qint32
{
    ManualSchedule = 0,
    HourlySchedule = 1,
    DailySchedule = 2,
    WeeklySchedule = 3,
};

struct BackupSet
{
    // Takes the destination and the retention policy preset from the current settings (newSetDestination,
    // newSetKeepLast...).
    BackupSet();

    // Set by the constructor from the key table's values for a new record.
    quint32 id;
    QString name;
    QString arcName;
    QString source;
    QString target;
    meSortStringArray exTypeList;
    meSortStringArray exPathList;
    qint32 compLevel;
    qint32 arcType;
    bool solid;
    QString lastRun;
    qint32 backupType;
    // How the last run ended (done, warnings, failed, stopped; empty for a set never run), when it ended
    // (ISO 8601, local time), how many seconds it took, what it wrote (-1 for nothing known), how many files
    // the tool could not read, and why it failed or was stopped, or what a person should know of a success (a new
    // chain started). The runner writes them when a run ends.
    QString lastResult;
    QString lastResultTime;
    qint64 lastResultSeconds;
    qint64 lastResultBytes;
    qint32 lastResultWarnings;
    QString lastResultReason;
    // The file system the destination was on at the first successful run (DestinationDisk.h); empty until
    // then, and for sets from before it was kept, which are recorded at their next successful run.
    QString destinationDisk;
    // How long testing the archive of the last run took, in seconds; -1 when it was not tested.
    qint64 lastResultVerifySeconds;
    // Whether each new archive is tested before it replaces the old one or joins the chain.
    bool verifyArchive;
    // When a verification last found every archive of the set good (ISO 8601, local time); empty for never.
    QString lastVerified;
    // When the set runs by itself (ScheduleKind), at what time of day "HH:MM" for a daily or weekly run, on which
    // day of the week (1 Monday … 7 Sunday) for a weekly run, and whether a run missed while the computer was off
    // happens at its next start.
    qint32 schedule;
    QString scheduleTime;
    qint32 scheduleDay;
    bool scheduleCatchUp;
    // Whether the archives are encrypted (AES-256; a 7z archive hides its file names too). The password is the
    // keyring's, never the file's.
    bool encrypt;
    // The password was changed after the chain's full archive was made with the old one: the next run starts a
    // new chain instead of taking a full archive that does not open as a wrong password.
    bool passwordChanged;
    // Where the set's backups are copied off the machine after each good run (OffsiteTarget.h); empty for
    // nowhere. A mirror set mirrors its source there too.
    QString offsite;
    // How the off-site copy of the last good run went ("done", "failed"; empty when none was made), and why it
    // failed.
    QString lastOffsiteResult;
    QString lastOffsiteReason;
    // A file holding the password of an encrypted set, for its timer's runs to take where no keyring serves them
    // (PasswordFile.h checks it); empty for the keyring.
    QString passwordFile;
    // How much history the set keeps (Retention.h): the last KeepLast points, and the newest point of each of the
    // last KeepHourly hours, KeepDaily days, KeepWeekly weeks, KeepMonthly months and KeepYearly years that have
    // one; 0 turns a rule off. The points named in pinned (their stamps) are kept for ever.
    qint32 keepLast;
    qint32 keepHourly;
    qint32 keepDaily;
    qint32 keepWeekly;
    qint32 keepMonthly;
    qint32 keepYearly;
    meSortStringArray pinned;
    // How many update runs the current chain has had and the stamp of its full archive ("7 2026-01-02_03h04m05s"),
    // written after each run: thinning removes update archives, so the archives left cannot count the chain's runs.
    QString chainRuns;
    // What the last good test of the chain's full archive saw of the file and when it ran ("SIZE MTIME_NS INODE
    // CTIME_NS TESTED", FullArchiveTestRecord.h): while the file is the one tested, update runs need not read all
    // of it again. Empty for no such test.
    QString fullArchiveTested;

    bool operator==(const BackupSet&) const = default;
};

// How much history a set keeps (its Keep… keys), in the order the window shows the counts; 0 turns a rule off.
struct RetentionPolicy
{
    qint32 last = 10;
    qint32 hourly = 24;
    qint32 daily = 14;
    qint32 weekly = 8;
    qint32 monthly = 12;
    qint32 yearly = 3;

    bool operator==(const RetentionPolicy&) const = default;
};

RetentionPolicy RetentionPolicyOf(const BackupSet& set);
void SetRetentionPolicy(BackupSet& set, const RetentionPolicy& policy);

// One key of a set file: its name, the record's field it holds (its type), the value a file without the
// key gives, and the value of a new record. A missing CompLevel means 2, the level files written before
// the key had; a new set starts at 3.
struct SetFileKey
{
    using Field = std::variant<quint32 BackupSet::*, QString BackupSet::*, qint32 BackupSet::*, qint64 BackupSet::*,
        bool BackupSet::*, meSortStringArray BackupSet::*>;

    QString key;
    Field field;
    QString fileDefault;
    QString newRecordDefault;
};

// Every key of a set file, in the order they are written.
const QList<SetFileKey>& SetFileKeys();
// A key's field read from its stored text, and its stored text (lists sorted, as files keep them).
void SetFieldFromText(BackupSet& set, const SetFileKey& key, const QString& text);
QString FieldText(const BackupSet& set, const SetFileKey& key);

// The one path separator of every path the program forms.
inline constexpr QChar kPathSeparator = QLatin1Char('/');
// Separator of the stored form of a list.
inline const QString kListSeparator = QStringLiteral(";");

// The set's time of day and day of the week as a timer takes them: a stored time that is no "HH:MM" counts as
// 20:00, a day outside 1..7 as Monday.
QTime ScheduleTimeOf(const BackupSet& set);
int ScheduleDayOf(const BackupSet& set);

QString CompLevelSwitch(const BackupSet& set);
QString ArcTypeName(const BackupSet& set);
// Why the password cannot encrypt the set's archives, in words; empty when it can. 7-Zip takes only printable
// ASCII for a zip archive's password, and a line break would end the password where 7-Zip reads it.
QString ArchivePasswordProblem(const BackupSet& set, const QString& password);
// Whether 7-Zip takes the password for a zip archive: printable ASCII only.
bool PasswordFitsZip(const QString& password);

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
