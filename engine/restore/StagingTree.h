#pragma once

// Works inside a restore's staging folder through a descriptor of it: each name is opened relative to the
// folder above it and never followed when it is a link, so nothing written into the folder (by the archive or
// by the restore itself) can lead a step out of it, and paths longer than the system takes whole still work.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

class StagingTree
{
public:
    enum class Kind
    {
        Missing,
        Folder,
        Link,
        // A plain file, or anything else that is not a folder or a link.
        File,
    };

    // Opens the folder; a link there is refused.
    explicit StagingTree(const QString& root);
    ~StagingTree();
    StagingTree(const StagingTree&) = delete;
    StagingTree& operator=(const StagingTree&) = delete;

    bool isOpen() const { return m_fd >= 0; }

    // What is at the path relative to the folder ("a/b"), and a file's size; a folder above it that is not a
    // real folder makes it Missing.
    Kind kindOf(const QString& relative, qint64* size = nullptr) const;
    // The name 7-Zip's listing gives as relative, as it is on disk: the listing shows each line break of a
    // name as "_", so a name with "_" may be another one there. Nothing when no entry or more than one fits.
    std::optional<QString> nameOnDisk(const QString& listed) const;

    // Makes the link in place of whatever is at the path (a folder with all it holds), and the folders above
    // it that are missing. A folder above that is a link or a file is never replaced: the error says so.
    QString makeLink(const QString& relative, const QByteArray& target, const QDateTime& modified) const;
    // Makes the folder (those above it must be there), unless a folder is there already.
    QString makeFolder(const QString& relative) const;
    // Sets the time of the entry itself, never of what a link points to.
    void setTime(const QString& relative, const QDateTime& time) const;
    // Removes the entry and, for a folder, all it holds; nothing missing is an error.
    QString remove(const QString& relative) const;

private:
    // A descriptor of the folder holding the path's last name, which goes into *leaf; -1 with errno set.
    int openParent(const QString& relative, bool create, QByteArray* leaf) const;

    int m_fd = -1;
};

// Removes a folder and all it holds without following any link inside it, also where the restore wrote
// folders without write permission and where paths grow longer than the system takes whole. Whether it went.
bool RemoveWholeFolder(const QString& folder);
