#pragma once

// Helpers for tests that run the real tools: source trees, fake tools for failures, archive listings.

#include <QMap>
#include <QString>
#include <QStringList>

// Writes the files (relative path → content) below the folder, creating sub-folders.
void makeTree(const QString& folder, const QMap<QString, QByteArray>& files);
// Random bytes 7-Zip cannot shrink, so that even its fastest level takes a few seconds over them.
void writeIncompressible(const QString& path, qint64 bytes);
// Writes an executable shell script.
void writeScript(const QString& path, const QByteArray& body);
// The paths of the entries of an archive as `7zz l -slt` lists them, with "(anti)" after deletion marks.
QStringList archiveEntries(const QString& archive);
// The files in a destination folder, hidden ones too, without the marker of the destination's disk that
// a first successful run writes where the disk has no UUID.
QStringList destinationFiles(const QString& folder);
// Every file below the folder, relative, sorted.
QStringList treeFiles(const QString& folder);
// Each of those files with its content.
QMap<QString, QByteArray> treeContents(const QString& folder);
// Archives and kept chains are named by the time to the second: a test that needs two names waits.
void waitForNextSecond();
// Why strace cannot be used here (not installed, or not allowed to trace), or nothing.
QString straceProblem();

// An rclone configuration of the test's own, named by RCLONE_CONFIG while the object lives, with one remote,
// "elsewhere", of type local: a folder of this machine stands for any store rclone reaches.
class LocalRcloneRemote
{
public:
    static constexpr const char* kMissing = "rclone is missing (Debian: rclone; scripts/setup.sh installs it)";
    static bool available();

    // Writes the configuration into the folder and makes the remote's folder "remote" there.
    explicit LocalRcloneRemote(const QString& folder);
    ~LocalRcloneRemote();
    LocalRcloneRemote(const LocalRcloneRemote&) = delete;
    LocalRcloneRemote& operator=(const LocalRcloneRemote&) = delete;

    // The remote's folder on this disk, and the same as a set's off-site destination names it.
    QString folder() const { return m_folder; }
    QString destination() const { return QStringLiteral("elsewhere:") + m_folder; }

private:
    QString m_folder;
};
