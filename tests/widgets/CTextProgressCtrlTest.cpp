#include "CTextProgressCtrl.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTimerEvent>

#include <functional>
#include <vector>

namespace {

// Colours as the control takes them (0x00BBGGRR) and as they appear in the picture.
constexpr quint32 kBlue = 0x00FF0000;
constexpr quint32 kRed = 0x000000FF;
constexpr quint32 kGreen = 0x0000FF00;
constexpr quint32 kBlack = 0x00000000;
const QColor kSentinel(1, 2, 3);
const QColor kMid(130, 140, 150);

QPalette fixedPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Highlight, QColor(10, 20, 30));
    palette.setColor(QPalette::Button, QColor(40, 50, 60));
    palette.setColor(QPalette::WindowText, QColor(70, 80, 90));
    palette.setColor(QPalette::Base, QColor(100, 110, 120));
    palette.setColor(QPalette::Mid, kMid);
    palette.setColor(QPalette::Window, QColor(160, 170, 180));
    return palette;
}

QColor rgb(quint32 colour)
{
    return CTextProgressCtrl::toQColor(colour);
}

// A bar whose inner area is exactly 100 pixels long, so position n fills n pixels in the 0..100 range.
// The font is not antialiased, so every text pixel has exactly the text colour of its part.
class TextProgressCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_bar.setPalette(fixedPalette());
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(30);
        font.setBold(true);
        font.setStyleStrategy(QFont::NoAntialias);
        m_bar.setFont(font);
        m_bar.resize(102, 40);
        m_bar.setShowPercent(false);
        m_bar.setBarColor(kBlue);
        m_bar.setBarTextColor(kRed);
        m_bar.setBkColor(kBlack);
        m_bar.setTextColor(kGreen);
    }

    QImage picture()
    {
        QImage image(m_bar.size(), QImage::Format_RGB32);
        image.fill(kSentinel);
        m_bar.render(&image);
        return image;
    }

    // Columns of the inner area that hold at least one pixel of the given colour.
    static std::vector<int> columnsWith(const QImage& image, const QColor& colour)
    {
        std::vector<int> columns;
        for (int x = 1; x < image.width() - 1; ++x) {
            for (int y = 1; y < image.height() - 1; ++y) {
                if (image.pixelColor(x, y) == colour) {
                    columns.push_back(x);
                    break;
                }
            }
        }
        return columns;
    }

    CTextProgressCtrl m_bar;
};

TEST_F(TextProgressCtrlTest, PositionIsClampedToRangeOrMarqueeLimit)
{
    EXPECT_EQ(m_bar.setPos(-5), 0);
    EXPECT_EQ(m_bar.pos(), 0);
    EXPECT_EQ(m_bar.SendMessage(PBM_SETPOS, 150), 0);
    EXPECT_EQ(m_bar.SendMessage(PBM_GETPOS), 100);
    EXPECT_EQ(m_bar.SendMessage(PBM_DELTAPOS, quintptr(-30)), 100);
    EXPECT_EQ(m_bar.pos(), 70);

    // The marquee may run 20 % past the maximum so its block can leave the bar.
    m_bar.setMarquee(true, 100000);
    m_bar.setPos(150);
    EXPECT_EQ(m_bar.pos(), 120);
    m_bar.setMarquee(false, 0);
    EXPECT_EQ(m_bar.pos(), 120);

    // Narrowing the range leaves the position alone until it next changes.
    m_bar.setPos(80);
    m_bar.setRange(0, 50);
    EXPECT_EQ(m_bar.pos(), 80);
    m_bar.offsetPos(0);
    EXPECT_EQ(m_bar.pos(), 50);
}

TEST_F(TextProgressCtrlTest, StepWrapsAroundKeepingTheOvershoot)
{
    m_bar.setPos(95);
    EXPECT_EQ(m_bar.SendMessage(PBM_STEPIT), 95);
    EXPECT_EQ(m_bar.pos(), 5);

    EXPECT_EQ(m_bar.SendMessage(PBM_SETSTEP, quintptr(-10)), 10);
    m_bar.stepIt();
    EXPECT_EQ(m_bar.pos(), 95);
}

TEST_F(TextProgressCtrlTest, RangeMessagesReturnOldRangePackedAndFillThePair)
{
    // lParam holds two unsigned 16-bit words: 50000 stays positive.
    EXPECT_EQ(m_bar.SendMessage(PBM_SETRANGE, 0, (50000 << 16) | 10), qintptr(100 << 16));
    EXPECT_EQ(m_bar.range().minimum, 10);
    EXPECT_EQ(m_bar.range().maximum, 50000);

    EXPECT_EQ(m_bar.SendMessage(PBM_SETRANGE32, quintptr(-5), 70000), qintptr((50000u << 16) | 10u));
    EXPECT_EQ(m_bar.SendMessage(PBM_SETRANGE32, 0, 100), qintptr((quint32(70000 & 0xFFFF) << 16) | 0xFFFBu));

    CTextProgressCtrl::Range pair {-1, -1};
    m_bar.setRange(-7, 300);
    EXPECT_EQ(m_bar.SendMessage(PBM_GETRANGE, 1, reinterpret_cast<qintptr>(&pair)), -7);
    EXPECT_EQ(pair.minimum, -7);
    EXPECT_EQ(pair.maximum, 300);
    EXPECT_EQ(m_bar.SendMessage(PBM_GETRANGE, 0, 0), 300);
}

TEST_F(TextProgressCtrlTest, ColourMessagesReturnStoredValueAndResolveDefaultsFromPalette)
{
    CTextProgressCtrl bar;
    bar.setPalette(fixedPalette());
    EXPECT_EQ(bar.SendMessage(PBX_GETBARCOLOR), qintptr(0x001E140A)); // Highlight
    EXPECT_EQ(bar.SendMessage(PBX_GETBKCOLOR), qintptr(0x003C3228)); // Button
    EXPECT_EQ(bar.SendMessage(PBX_GETTEXTCOLOR), qintptr(0x005A5046)); // WindowText
    EXPECT_EQ(bar.SendMessage(PBX_GETBARTEXTCOLOR), qintptr(0x00786E64)); // Base

    EXPECT_EQ(bar.SendMessage(PBM_SETBARCOLOR, 0, 0x00123456), qintptr(CLR_DEFAULT));
    EXPECT_EQ(bar.SendMessage(PBM_SETBARCOLOR, 0, CLR_DEFAULT), qintptr(0x00123456));
    EXPECT_EQ(bar.SendMessage(PBX_SETTEXTCOLOR, 0, 0x00ABCDEF), qintptr(CLR_DEFAULT));
    EXPECT_EQ(bar.SendMessage(PBX_GETTEXTCOLOR), qintptr(0x00ABCDEF));

    // Red is the low byte of a colour value.
    m_bar.SendMessage(PBM_SETBARCOLOR, 0, 0x00123456);
    m_bar.setPos(100);
    EXPECT_EQ(picture().pixelColor(50, 3), QColor(0x56, 0x34, 0x12));
}

TEST_F(TextProgressCtrlTest, FillsFromTheStartUpToThePositionInsideAFlatFrame)
{
    m_bar.setPos(37);
    QImage image = picture();
    for (const QPoint corner : {QPoint(0, 0), QPoint(101, 0), QPoint(0, 39), QPoint(101, 39), QPoint(50, 0)})
        EXPECT_EQ(image.pixelColor(corner), kMid) << corner.x() << "," << corner.y();
    EXPECT_EQ(image.pixelColor(1, 1), rgb(kBlue));
    EXPECT_EQ(image.pixelColor(37, 38), rgb(kBlue));
    EXPECT_EQ(image.pixelColor(38, 1), rgb(kBlack));
    EXPECT_EQ(image.pixelColor(100, 38), rgb(kBlack));

    m_bar.setPos(0);
    EXPECT_TRUE(columnsWith(picture(), rgb(kBlue)).empty());
    m_bar.setPos(100);
    EXPECT_EQ(columnsWith(picture(), rgb(kBlue)).size(), 100u);
}

TEST_F(TextProgressCtrlTest, TextChangesColourExactlyAtTheEdgeOfTheFilledPart)
{
    m_bar.setText(QStringLiteral("MMM"));
    const QImage plain = picture();

    // Put the edge where two neighbouring pixels of one row both belong to a letter.
    int edge = -1;
    int row = -1;
    for (int x = 40; x < 90 && edge < 0; ++x) {
        for (int y = 1; y < 39; ++y) {
            if (plain.pixelColor(x - 1, y) == rgb(kGreen) && plain.pixelColor(x, y) == rgb(kGreen)) {
                edge = x;
                row = y;
                break;
            }
        }
    }
    ASSERT_GE(edge, 0);
    m_bar.setPos(edge - 1);
    const QImage split = picture();

    EXPECT_EQ(split.pixelColor(edge - 1, row), rgb(kRed));
    EXPECT_EQ(split.pixelColor(edge, row), rgb(kGreen));
    // Same letters, recoloured: the bar text colour over the filled part, the text colour beyond it.
    for (int y = 1; y < 39; ++y) {
        for (int x = 1; x < 101; ++x) {
            const bool letter = plain.pixelColor(x, y) == rgb(kGreen);
            const QColor expected = x < edge ? (letter ? rgb(kRed) : rgb(kBlue)) : (letter ? rgb(kGreen) : rgb(kBlack));
            ASSERT_EQ(split.pixelColor(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(TextProgressCtrlTest, EmptyRangeDrawsNothingUntilWidened)
{
    m_bar.setText(QStringLiteral("READY."));
    m_bar.SendMessage(PBM_SETRANGE, 0, (10 << 16) | 10);
    const QImage empty = picture();
    for (int y = 0; y < empty.height(); ++y)
        for (int x = 0; x < empty.width(); ++x)
            ASSERT_EQ(empty.pixelColor(x, y), kSentinel) << x << "," << y;

    m_bar.SendMessage(PBM_SETRANGE, 0, (20 << 16) | 10);
    EXPECT_EQ(picture().pixelColor(0, 0), kMid);
}

TEST_F(TextProgressCtrlTest, AlignmentStartsEndsOrCentresAndUnknownValuesCentre)
{
    QFont small = m_bar.font();
    small.setPixelSize(14);
    m_bar.setFont(small);
    m_bar.setText(QStringLiteral("IOI"));
    const auto textColumns = [&](int align) {
        m_bar.SendMessage(PBX_SETTEXTALIGN, quintptr(align));
        return columnsWith(picture(), rgb(kGreen));
    };
    const std::vector<int> start = textColumns(0);
    const std::vector<int> centre = textColumns(1);
    const std::vector<int> end = textColumns(2);
    ASSERT_FALSE(centre.empty());
    EXPECT_LT(start.front(), centre.front());
    EXPECT_LT(centre.back(), end.back());
    EXPECT_LE(start.front(), 1 + 2 + 3);
    EXPECT_GE(end.back(), 100 - 3 - 3);
    EXPECT_NEAR(centre.front() - 1, 100 - 1 - centre.back(), 3);

    m_bar.setTextAlign(1);
    const QImage centred = picture();
    EXPECT_EQ(m_bar.SendMessage(PBX_SETTEXTALIGN, 7), 1);
    EXPECT_EQ(picture(), centred);
}

TEST_F(TextProgressCtrlTest, PercentFollowsTheWindowTextWithNothingBetween)
{
    m_bar.setPos(45);
    m_bar.setText(QStringLiteral("45%"));
    const QImage expectedNumber = picture();
    m_bar.setText(QStringLiteral("Z45%"));
    const QImage expectedWithText = picture();

    EXPECT_EQ(m_bar.SendMessage(PBX_SHOWPERCENT, 1), 0);
    m_bar.setText(QString());
    EXPECT_EQ(picture(), expectedNumber);
    m_bar.setText(QStringLiteral("Z"));
    EXPECT_EQ(picture(), expectedWithText);

    // Starting the marquee hides the number until it is asked for again.
    m_bar.setMarquee(true, 100000);
    EXPECT_FALSE(m_bar.showPercent());
    m_bar.setMarquee(false, 0);
    EXPECT_FALSE(m_bar.showPercent());
}

TEST_F(TextProgressCtrlTest, MarqueeBlockEndsAtThePositionAndSlidesOutAtTheFarEnd)
{
    m_bar.setMarquee(true, 100000);
    m_bar.setPos(60);
    const std::vector<int> block = columnsWith(picture(), rgb(kBlue));
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(block.front(), 41);
    EXPECT_EQ(block.back(), 60);
    EXPECT_EQ(block.size(), 20u);

    m_bar.setPos(0);
    EXPECT_TRUE(columnsWith(picture(), rgb(kBlue)).empty());
    m_bar.setPos(120);
    EXPECT_TRUE(columnsWith(picture(), rgb(kBlue)).empty());

    // On a 98-pixel bar rounding leaves the last pixel of the block.
    m_bar.resize(100, 40);
    EXPECT_EQ(columnsWith(picture(), rgb(kBlue)), std::vector<int> {98});
    m_bar.setMarquee(false, 0);
}

TEST_F(TextProgressCtrlTest, MarqueeTicksRunUpToTheLimitAndBackAndKeepDirectionAcrossRestarts)
{
    m_bar.setPos(0);
    m_bar.setMarquee(true, 100000);
    // From the minimum the next tick always goes forward, whatever direction an earlier bar left.
    m_bar.advanceMarquee();
    ASSERT_EQ(m_bar.pos(), 1);

    std::vector<int> run {1};
    for (int i = 0; i < 240; ++i) {
        m_bar.advanceMarquee();
        run.push_back(m_bar.pos());
    }
    std::vector<int> expected;
    for (int p = 1; p <= 120; ++p)
        expected.push_back(p);
    for (int p = 119; p >= 0; --p)
        expected.push_back(p);
    expected.push_back(1);
    EXPECT_EQ(run, expected);

    for (int i = 0; i < 130; ++i)
        m_bar.advanceMarquee();
    ASSERT_EQ(m_bar.pos(), 109); // on its way back down
    m_bar.setMarquee(false, 0);
    EXPECT_EQ(m_bar.pos(), 109);
    m_bar.setMarquee(true, 100000);
    m_bar.advanceMarquee();
    EXPECT_EQ(m_bar.pos(), 108);

    QTimerEvent foreign(0x7FFF);
    QCoreApplication::sendEvent(&m_bar, &foreign);
    EXPECT_EQ(m_bar.pos(), 108);

    // The real timer moves it too.
    EXPECT_EQ(m_bar.SendMessage(PBM_SETMARQUEE, 1, 1), 1);
    QElapsedTimer clock;
    clock.start();
    while (m_bar.pos() == 108 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(m_bar.pos(), 107);
    m_bar.SendMessage(PBM_SETMARQUEE, 0, 0);
}

TEST_F(TextProgressCtrlTest, VerticalBarFillsFromTheBottomAndTextRunsUpwards)
{
    QFont small = m_bar.font();
    small.setPixelSize(12);
    m_bar.setFont(small);
    m_bar.resize(40, 202);
    m_bar.setStyleBits(PBS_VERTICAL);
    m_bar.setText(QStringLiteral("WORKING."));
    m_bar.setPos(25);
    const QImage image = picture();
    EXPECT_EQ(image.pixelColor(1, 200), rgb(kBlue));
    EXPECT_EQ(image.pixelColor(1, 151), rgb(kBlue));
    EXPECT_EQ(image.pixelColor(1, 150), rgb(kBlack));
    EXPECT_EQ(image.pixelColor(1, 1), rgb(kBlack));

    QRect ink;
    for (int y = 1; y < 201; ++y)
        for (int x = 1; x < 39; ++x)
            if (image.pixelColor(x, y) == rgb(kGreen))
                ink |= QRect(x, y, 1, 1);
    EXPECT_GT(ink.height(), 2 * ink.width());
    EXPECT_NEAR(ink.center().y(), 101, 6);
}

// Counts paints, to tell an immediate repaint from a scheduled one.
class CountingBar : public CTextProgressCtrl
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        CTextProgressCtrl::paintEvent(event);
    }
};

TEST(TextProgressCtrlRepaint, SettersShowTheNewValueBeforeTheyReturn)
{
    CountingBar bar;
    bar.resize(102, 20);
    bar.show();
    QCoreApplication::processEvents();
    const std::vector<std::function<void()>> setters {
        [&] { bar.setPos(30); },
        [&] { bar.setBarColor(kRed); },
        [&] { bar.SendMessage(PBX_SETTEXTALIGN, 0); },
        [&] { bar.setMarquee(true, 100000); },
    };
    for (const auto& set : setters) {
        const int before = bar.paints;
        set();
        EXPECT_EQ(bar.paints, before + 1);
    }
    bar.setMarquee(false, 0);
}

} // namespace
