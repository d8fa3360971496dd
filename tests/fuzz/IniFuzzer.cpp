// libFuzzer target for the INI reader and writer: no input may crash it, a written value must read back
// as written, and writing one key must leave every other key of the file as it was.

#include "IniFile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

const QString kSection = QStringLiteral("Velmora Project file");
const char* const kKeys[] = {"nID", "name", "arcname", "source", "target", "exTypeList", "lastrun"};

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const IniDocument doc = IniDocument::fromBytes(bytes);

    // Writing what was read and reading it again changes nothing more.
    const QByteArray written = doc.toBytes();
    require(IniDocument::fromBytes(written).toBytes() == written);

    // Every key reads the same before and after the file is written back.
    const IniDocument reread = IniDocument::fromBytes(written);
    for (const char* key : kKeys)
        require(doc.value(kSection, QString::fromLatin1(key)) == reread.value(kSection, QString::fromLatin1(key)));

    // A new value for one key reads back as stored and leaves the other keys alone.
    const QString value = QString::fromUtf8(bytes.left(64)).trimmed();
    IniDocument changed = reread;
    if (changed.setValue(kSection, QStringLiteral("name"), value)) {
        const IniDocument after = IniDocument::fromBytes(changed.toBytes());
        require(after.value(kSection, QStringLiteral("name")) == value);
        for (const char* key : kKeys) {
            if (QLatin1String(key) != QLatin1String("name"))
                require(after.value(kSection, QString::fromLatin1(key))
                    == reread.value(kSection, QString::fromLatin1(key)));
        }
    }
    return 0;
}
