// Replaces one file over and over so that a test can kill it at any point of a replacement.
//
//   fault_writer place SCRATCH FINAL FIRST COUNT   puts a fresh SCRATCH in place of the archive FINAL
//   fault_writer set HOME FIRST COUNT               saves the set "Docs" in the store below HOME
//   fault_writer chain SCRATCH DEST FIRST COUNT     puts a fresh SCRATCH in place of DEST/docs.7z and its chain
//
// Replacement i (FIRST <= i < FIRST + COUNT) writes version i % 2. "op i" is written to standard output
// before it starts and "done i" once it has returned, unbuffered, so a killed run says how far it got.

#include "ArchivePlacement.h"
#include "ChainHistory.h"
#include "FaultContent.h"
#include "ProfileStore.h"
#include "SetCollection.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void say(const char* what, int i)
{
    char line[32];
    const int length = std::snprintf(line, sizeof line, "%s %d\n", what, i);
    if (::write(STDOUT_FILENO, line, size_t(length)) != length)
        std::exit(3);
}

bool writeScratch(const QString& path, int version)
{
    QFile file(path);
    const QByteArray bytes = faultArchiveBytes(version);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

quint32 faultSetId()
{
    for (const BackupSet& set : std::as_const(backupSets)) {
        if (set.name == kFaultSetName)
            return set.id;
    }
    BackupSet set;
    set.name = kFaultSetName;
    set.arcName = QStringLiteral("docs");
    set.source = QStringLiteral("/data");
    set.target = QStringLiteral("/backup");
    return AddBackupSet(set);
}

} // namespace

int main(int argc, char** argv)
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("place") && argc == 6) {
        const QString scratch = QFile::decodeName(argv[2]);
        const QString finalPath = QFile::decodeName(argv[3]);
        const int first = std::atoi(argv[4]);
        for (int i = first; i < first + std::atoi(argv[5]); ++i) {
            if (!writeScratch(scratch, i))
                return 2;
            say("op", i);
            if (!PlaceArchive(scratch, finalPath).placed)
                return 2;
            say("done", i);
        }
        return 0;
    }
    if (mode == QLatin1String("chain") && argc == 6) {
        const QString scratch = QFile::decodeName(argv[2]);
        BackupSet set;
        set.name = kFaultSetName;
        set.arcName = QStringLiteral("docs");
        set.target = QFile::decodeName(argv[3]);
        set.backupType = IncrementalArchiving;
        const int first = std::atoi(argv[4]);
        for (int i = first; i < first + std::atoi(argv[5]); ++i) {
            if (!writeScratch(scratch, i))
                return 2;
            say("op", i);
            if (!ReplaceChain(set, scratch).placed)
                return 2;
            say("done", i);
        }
        return 0;
    }
    if (mode == QLatin1String("set") && argc == 5) {
        // Given on the command line so that no run can reach the real home folder.
        const QByteArray home = argv[2];
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", home + "/.config");
        ProfileStore store(QStringLiteral("Velmora"));
        g_profileStore = &store;
        LoadAllBackupSets();
        const int first = std::atoi(argv[3]);
        for (int i = first; i < first + std::atoi(argv[4]); ++i) {
            BackupSet set;
            GetBackupSet(faultSetId(), set);
            set.exTypeList = faultExclusionTypes(i);
            // What the set's Properties dialog does on OK: the set file is rewritten there and then.
            say("op", i);
            UpdateBackupSet(set);
            say("done", i);
        }
        g_profileStore = nullptr;
        return 0;
    }
    std::fprintf(stderr,
        "usage: fault_writer place SCRATCH FINAL FIRST COUNT | chain SCRATCH DEST FIRST COUNT | set HOME FIRST "
        "COUNT\n");
    return 2;
}
