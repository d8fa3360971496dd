#pragma once

// The program's own INI text: section and key names match without regard to case, values are read
// whole with the blanks around them dropped, and a write touches only the line of its key.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

#include <sys/types.h>

using IniValues = QList<QPair<QString, QString>>;

// Every key of one section, gathered in one pass over the document, for a reader of many keys. It looks into
// the document's lines: it must not outlive the document it came from, nor a change to it.
class IniSectionValues
{
public:
    // What IniDocument::value gives for this key of the section.
    std::optional<QString> value(QStringView key) const;

private:
    friend class IniDocument;
    struct Entry
    {
        // A hash of the name, the same for names that match without regard to case, to compare few names.
        size_t nameHash;
        QStringView name;
        QStringView value;
    };
    // In the order of the lines; a name's first line is the one read.
    QList<Entry> m_entries;
};

class IniDocument
{
public:
    IniDocument() = default;
    static IniDocument fromBytes(const QByteArray& bytes);
    QByteArray toBytes() const;

    std::optional<QString> value(const QString& section, const QString& key) const;
    // The whole section at once: reading every key this way costs one pass instead of one per key.
    IniSectionValues sectionValues(const QString& section) const;
    // Replaces the key's value in place, or appends the key at the end of its section, creating the
    // section at the end of the document. Refuses (returns false) what a line could not hold.
    bool setValue(const QString& section, const QString& key, const QString& value);

    // A document holding just one section with these keys, in this order.
    static IniDocument withSection(const QString& section, const IniValues& values);

private:
    // A line keeps its bytes, so a line that is not rewritten is written back exactly as it was read,
    // whatever its encoding. A line read from the file keeps them as a place in m_source, which every such
    // line shares; a line written anew holds its own.
    struct Line
    {
        QByteArray raw;
        qsizetype sourceStart = 0;
        qsizetype sourceLength = -1;
        QString text;
    };

    qsizetype findSection(const QString& section) const;
    void setLine(qsizetype index, const QString& text);
    void insertLine(qsizetype index, const QString& text);

    QList<Line> m_lines;
    QByteArray m_source;
    bool m_byteOrderMark = false;
};

namespace IniFile {

// The process's file creation mask, read without changing it.
mode_t currentUmask();

// Whether a key or value can be stored on one line without changing the file's structure.
bool isStorableKey(const QString& key);
bool isStorableValue(const QString& value);

// What the writer does with a symbolic link in the file's place.
enum class LinkAtPath
{
    // The user's own settings and set files: one kept elsewhere through a link stays there, and the link stays.
    Follow,
    // A folder others may write to (a destination): a planted link must never take the write elsewhere, so
    // the write is refused and nothing is written.
    Refuse,
};

// Writes the file through a new file renamed over the old one, so the old content survives any failure.
// The new file is written beside the old one as a hidden copy named temporaryCopyPrefix(file name) and
// kTemporaryCopySuffixLength random letters or digits, a name no one else gives a file, created exclusively
// and never through a link. False when nothing was written; *linkFound is set when a link refused it.
bool replaceFileAtomically(
    const QString& path, const QByteArray& bytes, LinkAtPath links = LinkAtPath::Follow, bool* linkFound = nullptr);

inline constexpr char kTemporaryCopyMark[] = ".velmora-";
inline constexpr int kTemporaryCopySuffixLength = 6;
// ".NAME.velmora-" for the file NAME.
QString temporaryCopyPrefix(const QString& fileName);

} // namespace IniFile
