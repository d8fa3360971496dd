#pragma once

// Maps the settings file and the one-file-per-set store onto INI files, with a current-file protocol:
// select a set file, read or write its keys, then select the settings file again.

#include "IniFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Why an entry of the set folder whose name ends in ".ini" is not a set.
enum class SetFileProblem
{
    None,
    NotRegularFile,
    NameNotUtf8,
    NotASetName,
    Unreadable,
};

// An entry of the set folder that was not loaded as a set, and why.
struct SkippedSetFile
{
    // The name as it can be shown: bytes that are not UTF-8, and control characters, as \xNN.
    QString fileName;
    // The set folder and that name.
    QString path;
    SetFileProblem problem = SetFileProblem::None;
    // Why, in words, in the interface language.
    QString reason;

    // One line for the user: the file's path and the reason.
    QString message() const;
};

// One version of a file, told apart without reading it: a write, or a replacement by rename, gives another.
struct FileStamp
{
    qint64 size = -1;
    qint64 modifiedNs = 0;
    quint64 device = 0;
    quint64 inode = 0;

    bool operator==(const FileStamp&) const = default;
};

// What reading a whole INI file gave: the document, or why there is none.
struct IniFileRead
{
    std::optional<IniDocument> document;
    // The version of the file that was read.
    FileStamp stamp;
    // NotRegularFile or Unreadable when there is no document.
    SetFileProblem problem = SetFileProblem::None;
    // The system's error number when the file could not be opened or read.
    int error = 0;

    bool missing() const;
};

// What the set folder holds: the names of the set files there, and every other entry named like one.
struct SetFolderScan
{
    QStringList names;
    QList<SkippedSetFile> skipped;
};

class ProfileStore
{
public:
    // Empty base folders mean the user's configuration and documents folders.
    explicit ProfileStore(const QString& storeName, const QString& settingsBase = {}, const QString& setBase = {});

    // The current file of the per-key reads and writes below; the settings file unless a set file is chosen.
    // Only the set collection and the settings use these; everyone else goes through them.
    void SelectSettingsFile();
    void SelectSetFile(const QString& name);

    // Writes keys of a set's file, or of the settings file, whatever file is current, which stays so. With
    // stamp, the version of the file now there is given back on success.
    bool WriteSetFileValues(const QString& name, const IniValues& values, bool freshFile, FileStamp* stamp = nullptr);
    bool WriteSettingsValues(const IniValues& values);
    IniFileRead ReadSettingsFile() const;
    // The version of a set's file now on disk, without reading it; none when there is no such file.
    std::optional<FileStamp> SetFileStamp(const QString& name) const;

    QString ReadProfileString(const QString& key, const QString& defaultValue) const;
    qint32 ReadProfileInt(const QString& key, qint32 defaultValue) const;
    bool WriteProfileString(const QString& key, const QString& value);
    bool WriteProfileInt(const QString& key, qint32 value);
    // Writes several keys of the current file in one replacement of the file. With freshFile the file
    // is written anew holding only these keys; it is left untouched when it already holds exactly that.
    bool WriteProfileValues(const IniValues& values, bool freshFile = false);

    int ListSetNames(QStringList& list) const;
    // Only regular files (or links to them) with a name that is valid UTF-8 and a set name are set files;
    // nothing here opens a file, so a pipe or a device cannot block or flood the scan.
    SetFolderScan ScanSetFolder() const;
    // Reads a set file whole, in one read. Only a regular file is read, and a pipe cannot block the open.
    IniFileRead ReadSetFile(const QString& name) const;
    // Path of a set's file; empty for a name that cannot be a file name.
    QString SetFilePath(const QString& name) const;
    // The report on an entry of the set folder, named by its bytes, that is not loaded as a set.
    SkippedSetFile DescribeSkippedSetFile(const QByteArray& fileName, SetFileProblem problem, int error = 0) const;
    // Deletes the temporary copies that saves killed before their final rename left beside the
    // settings file and the set files.
    void RemoveSaveLeftovers() const;
    bool DeleteSetFile(const QString& name);
    void EnsureSettingsFile();

    // Path of the current file; empty for a set name that cannot be a file name.
    QString currentFilePath() const;
    QString settingsFilePath() const;
    QString settingsFolder() const;
    QString setFolder() const;
    QString sectionName() const;

    // A set name is a file name: these would reach outside the set folder or name no file at all.
    static bool isValidSetName(const QString& name);
    // Reads an INI file whole. Refuses anything but a regular file, and never blocks on a pipe.
    static IniFileRead ReadIniFile(const QString& path);
    static std::optional<FileStamp> StampOf(const QString& path);

    bool useSetFile = false;
    qint32 location = 0;
    QString storeName;
    QString setFileName;

private:
    bool writeDocument(const QString& path, const IniDocument& doc);
    bool writeValues(const QString& path, const IniValues& values, bool freshFile, FileStamp* stamp);

    QString m_settingsBase;
    QString m_setBase;
};

extern ProfileStore* g_profileStore;

// Decimal text to integer the way atoi reads it: leading blanks, a sign, digits up to the first other character.
qint32 ParseProfileInt(const QString& text);
