#include "CTextProgressCtrl.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>

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
    QPalette palette(QColor(160, 170, 180));
    palette.setColor(QPalette::Highlight, QColor(10, 20, 30));
    palette.setColor(QPalette::Button, QColor(40, 50, 60));
    palette.setColor(QPalette::WindowText, QColor(70, 80, 90));
    palette.setColor(QPalette::Base, QColor(100, 110, 120));
    palette.setColor(QPalette::Mid, kMid);
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

    // Bounding box of the inner area's pixels of one colour; null when there are none.
    static QRect boxOf(const QImage& image, quint32 colour)
    {
        QRect box;
        for (int y = 1; y < image.height() - 1; ++y)
            for (int x = 1; x < image.width() - 1; ++x)
                if (image.pixelColor(x, y) == rgb(colour))
                    box |= QRect(x, y, 1, 1);
        return box;
    }

    CTextProgressCtrl m_bar;
};

TEST_F(TextProgressCtrlTest, PositionIsClampedAndStepWrapsAround)
{
    EXPECT_EQ(m_bar.setPos(-5), 0);
    EXPECT_EQ(m_bar.SendMessage(PBM_SETPOS, 150), 0);
    EXPECT_EQ(m_bar.SendMessage(PBM_DELTAPOS, quintptr(-30)), 100);
    EXPECT_EQ(m_bar.pos(), 70);

    // The overshoot is kept: 95 + 10 lands on 5, not 0; and backwards 5 - 10 lands on 95.
    m_bar.setPos(95);
    EXPECT_EQ(m_bar.SendMessage(PBM_STEPIT), 95);
    EXPECT_EQ(m_bar.pos(), 5);
    EXPECT_EQ(m_bar.SendMessage(PBM_SETSTEP, quintptr(-10)), 10);
    m_bar.stepIt();
    EXPECT_EQ(m_bar.pos(), 95);

    // The marquee may run 20 % past the maximum so that its block can leave the bar.
    m_bar.setMarquee(true, 100000);
    m_bar.setPos(150);
    EXPECT_EQ(m_bar.pos(), 120);
    m_bar.setMarquee(false, 0);

    // Narrowing the range leaves the position alone until it next changes.
    m_bar.setRange(0, 50);
    EXPECT_EQ(m_bar.pos(), 120);
    m_bar.offsetPos(0);
    EXPECT_EQ(m_bar.pos(), 50);
}

TEST_F(TextProgressCtrlTest, RangeAndColourMessagesReturnWhatCallersUnpack)
{
    // Two unsigned 16-bit words in, the old range packed the same way out: 50000 stays positive.
    EXPECT_EQ(m_bar.SendMessage(PBM_SETRANGE, 0, (50000 << 16) | 10), qintptr(100 << 16));
    EXPECT_EQ(m_bar.SendMessage(PBM_SETRANGE32, quintptr(-5), 70000), qintptr((50000u << 16) | 10u));
    EXPECT_EQ(m_bar.SendMessage(PBM_SETRANGE32, 0, 100), qintptr((0x1170u << 16) | 0xFFFBu));
    CTextProgressCtrl::Range pair {-1, -1};
    m_bar.setRange(-7, 300);
    EXPECT_EQ(m_bar.SendMessage(PBM_GETRANGE, 1, reinterpret_cast<qintptr>(&pair)), -7);
    EXPECT_EQ(pair.maximum, 300);
    EXPECT_EQ(m_bar.SendMessage(PBM_GETRANGE, 0, 0), 300);

    // Setters return the stored value, getters the colour in use.
    CTextProgressCtrl bar;
    bar.setPalette(fixedPalette());
    EXPECT_EQ(bar.SendMessage(PBX_GETBARCOLOR), qintptr(0x001E140A));
    EXPECT_EQ(bar.SendMessage(PBX_GETBKCOLOR), qintptr(0x003C3228));
    EXPECT_EQ(bar.SendMessage(PBX_GETTEXTCOLOR), qintptr(0x005A5046));
    EXPECT_EQ(bar.SendMessage(PBX_GETBARTEXTCOLOR), qintptr(0x00786E64));
    EXPECT_EQ(bar.SendMessage(PBM_SETBARCOLOR, 0, 0x00123456), qintptr(CLR_DEFAULT));
    EXPECT_EQ(bar.SendMessage(PBM_SETBARCOLOR, 0, CLR_DEFAULT), qintptr(0x00123456));

    // Red is the low byte.
    m_bar.setRange(0, 100);
    m_bar.SendMessage(PBM_SETBARCOLOR, 0, 0x00123456);
    m_bar.setPos(100);
    EXPECT_EQ(picture().pixelColor(50, 3), QColor(0x56, 0x34, 0x12));
}

TEST_F(TextProgressCtrlTest, FillsUpToThePositionInsideAFlatFrameAndNothingForAnEmptyRange)
{
    m_bar.setPos(37);
    const QImage image = picture();
    for (const QPoint frame : {QPoint(0, 0), QPoint(101, 39), QPoint(50, 0), QPoint(0, 20)})
        EXPECT_EQ(image.pixelColor(frame), kMid) << frame.x() << "," << frame.y();
    EXPECT_EQ(boxOf(image, kBlue), QRect(1, 1, 37, 38));
    EXPECT_EQ(boxOf(image, kBlack), QRect(38, 1, 63, 38));
    m_bar.setPos(100);
    EXPECT_EQ(boxOf(picture(), kBlue), QRect(1, 1, 100, 38));

    m_bar.setText(QStringLiteral("READY."));
    m_bar.SendMessage(PBM_SETRANGE, 0, (10 << 16) | 10);
    QImage blank(m_bar.size(), QImage::Format_RGB32);
    blank.fill(kSentinel);
    EXPECT_EQ(picture(), blank);
    m_bar.SendMessage(PBM_SETRANGE, 0, (20 << 16) | 10);
    EXPECT_NE(picture(), blank);
}

TEST_F(TextProgressCtrlTest, TextChangesColourExactlyAtTheEdgeOfTheFilledPart)
{
    m_bar.setText(QStringLiteral("MMM"));
    const QImage plain = picture();
    // Put the edge where two neighbouring pixels of one row both belong to a letter.
    int edge = -1;
    int row = -1;
    for (int x = 40; x < 90 && edge < 0; ++x)
        for (int y = 1; y < 39 && edge < 0; ++y)
            if (plain.pixelColor(x - 1, y) == rgb(kGreen) && plain.pixelColor(x, y) == rgb(kGreen))
                edge = x, row = y;
    ASSERT_GE(edge, 0);
    m_bar.setPos(edge - 1);
    const QImage split = picture();
    EXPECT_EQ(split.pixelColor(edge - 1, row), rgb(kRed));
    EXPECT_EQ(split.pixelColor(edge, row), rgb(kGreen));
    // The same letters, in the bar text colour over the filled part and the text colour beyond it.
    for (int y = 1; y < 39; ++y) {
        for (int x = 1; x < 101; ++x) {
            const bool letter = plain.pixelColor(x, y) == rgb(kGreen);
            const quint32 expected = x < edge ? (letter ? kRed : kBlue) : (letter ? kGreen : kBlack);
            ASSERT_EQ(split.pixelColor(x, y), rgb(expected)) << x << "," << y;
        }
    }
}

TEST_F(TextProgressCtrlTest, TextAlignmentAndPercent)
{
    QFont small = m_bar.font();
    small.setPixelSize(14);
    m_bar.setFont(small);
    m_bar.setText(QStringLiteral("IOI"));
    const auto textBox = [&](int align) {
        m_bar.SendMessage(PBX_SETTEXTALIGN, quintptr(align));
        return boxOf(picture(), kGreen);
    };
    const QRect centre = textBox(1);
    ASSERT_FALSE(centre.isNull());
    EXPECT_LT(textBox(0).left(), centre.left());
    EXPECT_GT(textBox(2).right(), centre.right());
    EXPECT_NEAR(centre.left() - 1, 100 - centre.right(), 3);
    EXPECT_EQ(textBox(7), centre);

    // The number follows the window text with nothing between.
    m_bar.setPos(45);
    m_bar.setText(QStringLiteral("45%"));
    const QImage number = picture();
    m_bar.setText(QStringLiteral("Z45%"));
    const QImage withText = picture();
    EXPECT_FALSE(m_bar.SendMessage(PBX_SHOWPERCENT, 1));
    m_bar.setText(QString());
    EXPECT_EQ(picture(), number);
    m_bar.setText(QStringLiteral("Z"));
    EXPECT_EQ(picture(), withText);
}

TEST_F(TextProgressCtrlTest, MarqueeBlockEndsAtThePositionAndSlidesOutAtTheFarEnd)
{
    m_bar.setShowPercent(true);
    m_bar.setMarquee(true, 100000);
    EXPECT_FALSE(m_bar.showPercent());
    m_bar.setPos(60);
    EXPECT_EQ(boxOf(picture(), kBlue), QRect(41, 1, 20, 38));
    m_bar.setPos(0);
    EXPECT_TRUE(boxOf(picture(), kBlue).isNull());
    m_bar.setPos(120);
    EXPECT_TRUE(boxOf(picture(), kBlue).isNull());
    // On a 98-pixel bar rounding leaves the last pixel of the block.
    m_bar.resize(100, 40);
    EXPECT_EQ(boxOf(picture(), kBlue), QRect(98, 1, 1, 38));
}

TEST_F(TextProgressCtrlTest, MarqueeTicksRunUpToTheLimitAndBackAndKeepDirectionAcrossRestarts)
{
    m_bar.setMarquee(true, 100000);
    // From the minimum the next tick goes forward, whatever direction an earlier test left.
    m_bar.advanceMarquee();
    std::vector<int> run {m_bar.pos()};
    for (int i = 0; i < 240; ++i) {
        m_bar.advanceMarquee();
        run.push_back(m_bar.pos());
    }
    std::vector<int> expected;
    for (int tick = 1; tick <= 241; ++tick)
        expected.push_back(tick <= 120 ? tick : tick <= 240 ? 240 - tick : 1);
    EXPECT_EQ(run, expected);

    for (int i = 0; i < 130; ++i)
        m_bar.advanceMarquee();
    ASSERT_EQ(m_bar.pos(), 109);
    m_bar.setMarquee(false, 0);
    m_bar.setMarquee(true, 100000);
    m_bar.advanceMarquee();
    EXPECT_EQ(m_bar.pos(), 108);

    m_bar.setMarquee(false, 0);
}

// Counts the marquee's wake-ups and paints.
class EventCounter : public QObject
{
public:
    int timers = 0;
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        timers += event->type() == QEvent::Timer;
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(TextProgressCtrlTest, TheRealTimerKeepsTheMarqueesSpeedButWakesAtMostEveryFortyMilliseconds)
{
    m_bar.show();
    m_bar.SendMessage(PBM_SETMARQUEE, 0, 0);
    m_bar.SendMessage(PBM_SETPOS, 0);
    EventCounter counter;
    m_bar.installEventFilter(&counter);
    // As the main window starts it: one step every 10 ms.
    m_bar.SendMessage(PBM_SETMARQUEE, 1, 10);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 400)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const qint64 elapsed = clock.elapsed();
    m_bar.SendMessage(PBM_SETMARQUEE, 0, 0);
    m_bar.removeEventFilter(&counter);

    EXPECT_LE(counter.timers, elapsed / CTextProgressCtrl::kMarqueeFrameMs + 1);
    EXPECT_LE(counter.paints, counter.timers + 2);
    // The steps of the time that passed, not one per wake-up (the block still crosses the bar in 1.2 s).
    EXPECT_GE(m_bar.pos(), 3 * counter.timers);
    EXPECT_LE(m_bar.pos(), elapsed / 10 + 1);
    m_bar.hide();
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
    EXPECT_EQ(boxOf(image, kBlue), QRect(1, 151, 38, 50));
    const QRect ink = boxOf(image, kGreen);
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
    const int before = bar.paints;
    bar.setPos(30);
    EXPECT_EQ(bar.paints, before + 1);
    bar.SendMessage(PBM_SETBARCOLOR, 0, kRed);
    EXPECT_EQ(bar.paints, before + 2);
}

} // namespace
