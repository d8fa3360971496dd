#include "StringTable.h"

#include "UserMessages.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace {

struct TableEntry
{
    int id;
    const char* text;
};

// The translation context is fixed here, so that lupdate sees every text of the table.
constexpr TableEntry kStringTable[] = {
    {101, QT_TRANSLATE_NOOP("StringTable", "&About Velmora...")},
    {102, QT_TRANSLATE_NOOP("StringTable", "UpdateBackupSet() error.")},
    {103, QT_TRANSLATE_NOOP("StringTable", "Error when saving backupset #%d")},
    {104, QT_TRANSLATE_NOOP("StringTable", "Run this backup set: '%s'?")},
    {105, QT_TRANSLATE_NOOP("StringTable", "RunBackupSet error.")},
    {106, QT_TRANSLATE_NOOP("StringTable", "Delete this backup set: '%s'?")},
    {107, QT_TRANSLATE_NOOP("StringTable", "DeleteBackupSet error.")},
    {108, QT_TRANSLATE_NOOP("StringTable", "One of the required fields is empty.")},
    {109, QT_TRANSLATE_NOOP("StringTable", "Programs (*)")},
    {110, QT_TRANSLATE_NOOP("StringTable", "Set Name")},
    {111, QT_TRANSLATE_NOOP("StringTable", "Set Path")},
    {113, QT_TRANSLATE_NOOP("StringTable", "Please, restart the program!")},
    {114, QT_TRANSLATE_NOOP("StringTable", "Backup set named '%s' already exists. Please, choose another set name!")},
    {115, QT_TRANSLATE_NOOP("StringTable", "Delete old files for '%s'?")},
    {116, QT_TRANSLATE_NOOP("StringTable", "Update all backup sets?")},
    {117, QT_TRANSLATE_NOOP("StringTable", "Pick a directory:")},
    {118, QT_TRANSLATE_NOOP("StringTable", "Full archiving")},
    {119, QT_TRANSLATE_NOOP("StringTable", "Incremental archiving")},
    {120, QT_TRANSLATE_NOOP("StringTable", "New Set")},
    {121, QT_TRANSLATE_NOOP("StringTable", "Mirror copying")},
    {122, QT_TRANSLATE_NOOP("StringTable", "READY.")},
    {123, QT_TRANSLATE_NOOP("StringTable", "WORKING.")},
    {124, QT_TRANSLATE_NOOP("StringTable", "COPYING.")},
    {125, QT_TRANSLATE_NOOP("StringTable", "Update saving location for all tasks?")},
    {127, QT_TRANSLATE_NOOP("StringTable", "It seems that Mozilla Firefox is not installed.")},
    // Job reports: %1 and %2 are filled with QString::arg.
    {130, QT_TRANSLATE_NOOP("StringTable", "The backup set '%1' failed: %2")},
    {131, QT_TRANSLATE_NOOP("StringTable", "7-Zip executable missing!")},
    {132, QT_TRANSLATE_NOOP("StringTable", "rsync not found!")},
    {133,
        QT_TRANSLATE_NOOP(
            "StringTable", "the source folder '%1' does not exist or is not a folder. Nothing was changed.")},
    {134, QT_TRANSLATE_NOOP("StringTable", "%1 ended with exit code %2. The previous backup was left as it was.")},
    {135, QT_TRANSLATE_NOOP("StringTable", "%1 could not be run: %2")},
    {136,
        QT_TRANSLATE_NOOP(
            "StringTable", "the new archive could not be put in place: %1. The previous archive was left as it was.")},
    {137, QT_TRANSLATE_NOOP("StringTable", "the exclusion list could not be written (%1). Nothing was changed.")},
    {138,
        QT_TRANSLATE_NOOP(
            "StringTable", "the source or the destination is empty or not a full folder path. Nothing was changed.")},
    {139,
        QT_TRANSLATE_NOOP("StringTable",
            "the mirror folder '%1' is the source folder, lies inside it or contains it. "
            "Nothing was changed.")},
    {140, QT_TRANSLATE_NOOP("StringTable", "A backup is already running. Please wait until it has finished.")},
    {141, QT_TRANSLATE_NOOP("StringTable", "These backup sets failed:\n%1")},
    {142, QT_TRANSLATE_NOOP("StringTable", "the set no longer exists.")},
    {143, QT_TRANSLATE_NOOP("StringTable", "7-Zip wrote no archive")},
    {144, QT_TRANSLATE_NOOP("StringTable", "View Log shows the output.")},
    {145,
        QT_TRANSLATE_NOOP("StringTable", "the archive name '%1' cannot be used as a file name. Nothing was changed.")},
    {146, QT_TRANSLATE_NOOP("StringTable", "Please enter an integer.")},
    {147,
        QT_TRANSLATE_NOOP("StringTable",
            "This set name cannot be used as a file name: it may not be \".\" or \"..\", contain \"/\" "
            "or be longer than 250 bytes. Please, choose another set name!")},
    {148,
        QT_TRANSLATE_NOOP("StringTable",
            "The source folder '%2' of the backup set '%1' is empty. A disk that is not mounted looks "
            "like this. Go on and make the backup of an empty folder?")},
    {149, QT_TRANSLATE_NOOP("StringTable", "the source folder '%1' is empty. Nothing was changed.")},
    {150, QT_TRANSLATE_NOOP("StringTable", "the destination folder '%1' does not exist. Nothing was changed.")},
    {151,
        QT_TRANSLATE_NOOP("StringTable",
            "the source folder '%1' vanished or was replaced while rsync copied it. The mirror may have "
            "lost files; make sure the source is in place before the next run.")},
    {160, QT_TRANSLATE_NOOP("StringTable", "%1 was ended by signal %2. The previous backup was left as it was.")},
    {161,
        QT_TRANSLATE_NOOP("StringTable",
            "7-Zip archived nothing: the excluded file types and folders leave out every file of the source "
            "folder '%1'. The archive '%2' was kept as it was.")},
    {162,
        QT_TRANSLATE_NOOP("StringTable",
            "the archive type %1 or the compression level %2 of the set is not valid. Nothing was changed.")},
    {163, QT_TRANSLATE_NOOP("StringTable", "7-Zip could not read these files or folders (%1): %2")},
    {164, QT_TRANSLATE_NOOP("StringTable", "7-Zip reported warnings (exit code %1)")},
    {165, QT_TRANSLATE_NOOP("StringTable", "The backup set '%1' was made, with warnings: %2")},
    {166, QT_TRANSLATE_NOOP("StringTable", "some files vanished while rsync copied them")},
    {167, QT_TRANSLATE_NOOP("StringTable", "These backup sets were made, with warnings:\n%1")},
    {171, QT_TRANSLATE_NOOP("StringTable", "[%1 bytes left out here. The whole output is in '%2'.]")},
    {172, QT_TRANSLATE_NOOP("StringTable", "[%1 bytes left out here. The whole output could not be kept in '%2': %3]")},
    {173, QT_TRANSLATE_NOOP("StringTable", "[%1 characters left out here. The tools' whole output is in '%2'.]")},
    {174, QT_TRANSLATE_NOOP("StringTable", "[%1 characters left out here.]")},
    // Why a file of the set folder was not loaded as a set; 183's %1 is the system's error text.
    {180, QT_TRANSLATE_NOOP("StringTable", "it is not a regular file")},
    {181, QT_TRANSLATE_NOOP("StringTable", "its name is not valid UTF-8")},
    {182, QT_TRANSLATE_NOOP("StringTable", "its name cannot be the name of a backup set")},
    {183, QT_TRANSLATE_NOOP("StringTable", "it cannot be read: %1")},
    {184, QT_TRANSLATE_NOOP("StringTable", "The file '%1' was not loaded as a backup set: %2")},
    // A run ended before its tool was done: asked to stop, or past its time limit (%1 in seconds).
    {190, QT_TRANSLATE_NOOP("StringTable", "the run was stopped. The previous backup was left as it was.")},
    {191,
        QT_TRANSLATE_NOOP("StringTable",
            "the run took longer than its time limit of %1 seconds and was stopped. The previous backup was left "
            "as it was.")},
    // %1 is the paths of the files, one a line.
    {201, QT_TRANSLATE_NOOP("StringTable", "These files could not be saved, and their changes are lost:\n%1")},
    // The short result of a run; %1 is a duration (250-252), 249 adds the size written (253-257).
    {240, QT_TRANSLATE_NOOP("StringTable", "Done in %1")},
    {241, QT_TRANSLATE_NOOP("StringTable", "Done with warnings in %1")},
    {242, QT_TRANSLATE_NOOP("StringTable", "Done with warnings (%1) in %2")},
    {243, QT_TRANSLATE_NOOP("StringTable", "Failed: %1")},
    {244, QT_TRANSLATE_NOOP("StringTable", "Stopped")},
    {245, QT_TRANSLATE_NOOP("StringTable", "Stopped: %1")},
    {246, QT_TRANSLATE_NOOP("StringTable", "Not run: %1")},
    {249, QT_TRANSLATE_NOOP("StringTable", ", %1 written")},
    {250, QT_TRANSLATE_NOOP("StringTable", "%1 s")},
    {251, QT_TRANSLATE_NOOP("StringTable", "%1 min %2 s")},
    {252, QT_TRANSLATE_NOOP("StringTable", "%1 h %2 min")},
    {253, QT_TRANSLATE_NOOP("StringTable", "%1 bytes")},
    {254, QT_TRANSLATE_NOOP("StringTable", "%1 KB")},
    {255, QT_TRANSLATE_NOOP("StringTable", "%1 MB")},
    {256, QT_TRANSLATE_NOOP("StringTable", "%1 GB")},
    {257, QT_TRANSLATE_NOOP("StringTable", "%1 TB")},
    // How a set's last run went, in a word, and a set that never ran; a stopped run is 244.
    {258, QT_TRANSLATE_NOOP("StringTable", "Never run")},
    {259, QT_TRANSLATE_NOOP("StringTable", "Done")},
    {260, QT_TRANSLATE_NOOP("StringTable", "Done with warnings")},
    {261, QT_TRANSLATE_NOOP("StringTable", "Failed")},
    {263, QT_TRANSLATE_NOOP("StringTable", "Not run")},
    {270, QT_TRANSLATE_NOOP("StringTable", "This desktop has no program to open '%1'. Please open it yourself.")},
    // %1 is the full archive's path, %2 how many update archives, %3 their size together.
    {271,
        QT_TRANSLATE_NOOP("StringTable",
            "This deletes the current full archive '%1' and the update archives of its chain (%2): %3 in all.")},
    {272, QT_TRANSLATE_NOOP("StringTable", "This deletes the update archives of the set (%1): %2 in all.")},
    {273, QT_TRANSLATE_NOOP("StringTable", "There is no archive of this set in '%1'.")},
    {274, QT_TRANSLATE_NOOP("StringTable", "These files could not be deleted:\n%1")},
    // A rough duration in whole minutes, beside 250-252.
    {277, QT_TRANSLATE_NOOP("StringTable", "%1 min")},
    // %1 is a rough duration.
    {279, QT_TRANSLATE_NOOP("StringTable", "about %1 left")},
    // The log viewer shows the end of a long log: %1 the most it shows, %2 the log's size, %3 its path.
    {280,
        QT_TRANSLATE_NOOP("StringTable",
            "[The start of this log is left out; these are about the last %1 of its %2. The whole log is in '%3'.]")},
    // A kept run with no result: still going, or its program was killed.
    {281, QT_TRANSLATE_NOOP("StringTable", "Not finished")},
    // %1 is the path typed as the rsync location.
    {282,
        QT_TRANSLATE_NOOP("StringTable",
            "The rsync location '%1' does not exist or is not a program that can be run. Please choose the rsync "
            "program.")},
};

const TableEntry* findEntry(int id)
{
    const auto it = std::find_if(
        std::begin(kStringTable), std::end(kStringTable), [id](const TableEntry& entry) { return entry.id == id; });
    return it == std::end(kStringTable) ? nullptr : it;
}

} // namespace

QString EnglishStringById(int id)
{
    const TableEntry* entry = findEntry(id);
    return entry ? QString::fromUtf8(entry->text) : QString();
}

QString LoadStringById(int id)
{
    // The translator installed at start-up answers; switching the language in the menu changes only
    // the stored setting, so texts stay in the start-up language until the restart.
    const TableEntry* entry = findEntry(id);
    return entry ? QCoreApplication::translate("StringTable", entry->text) : QString();
}

void ShowStringMessage(int id)
{
    userMessages().showMessage(LoadStringById(id));
}

QString FormatString(const QString& format, const QString& argument)
{
    for (qsizetype i = 0; i + 1 < format.size(); ++i) {
        if (format.at(i) == QLatin1Char('%')
            && (format.at(i + 1) == QLatin1Char('s') || format.at(i + 1) == QLatin1Char('d'))) {
            QString result = format;
            return result.replace(i, 2, argument);
        }
    }
    return format;
}

QString LoadFormattedString(int id, const QString& argument)
{
    return FormatString(LoadStringById(id), argument);
}

QList<int> StringTableIds()
{
    QList<int> ids;
    for (const TableEntry& entry : kStringTable)
        ids.append(entry.id);
    return ids;
}
