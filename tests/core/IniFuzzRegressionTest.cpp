#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Every input the fuzzer ever broke the INI code with, run again through the fuzz target's checks
// (a broken check aborts the test program).
TEST(IniFuzzRegressions, InputsTheFuzzerFoundStayHandled)
{
    const QDir folder(QStringLiteral(VELMORA_FUZZ_REGRESSIONS));
    const QStringList inputs = folder.entryList(QDir::Files);
    ASSERT_FALSE(inputs.isEmpty());
    for (const QString& name : inputs) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), 0);
    }
}
