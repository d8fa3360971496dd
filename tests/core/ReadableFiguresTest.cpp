#include "ReadableFigures.h"

#include <QLocale>

#include <gtest/gtest.h>

TEST(ReadableFigures, SizesDurationsAndRoughEstimates)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FormatByteSize(512), "512 bytes");
    EXPECT_EQ(FormatByteSize(1288490189), "1.2 GB");

    EXPECT_EQ(FormatDuration(-3), "0 s");
    EXPECT_EQ(FormatDuration(45), "45 s");
    EXPECT_EQ(FormatDuration(134), "2 min 14 s");
    EXPECT_EQ(FormatDuration(3780), "1 h 3 min");

    // Estimates move in steps, so a rate that wobbles does not make the text jump every second.
    EXPECT_EQ(FormatTimeLeft(-1), "");
    EXPECT_EQ(FormatTimeLeft(0), "about 5 s left");
    EXPECT_EQ(FormatTimeLeft(41), "about 45 s left");
    EXPECT_EQ(FormatTimeLeft(44), "about 45 s left");
    EXPECT_EQ(FormatTimeLeft(100), "about 2 min left");
    EXPECT_EQ(FormatTimeLeft(129), "about 2 min left");
    EXPECT_EQ(FormatTimeLeft(4790), "about 1 h 20 min left");
    QLocale::setDefault(saved);
}
