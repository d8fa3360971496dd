#pragma once

// Progress bar that keeps its own range and position, paints itself and writes its text across the bar
// in two colours, with a marquee mode driven by its own timer.

#include <QBasicTimer>
#include <QColor>
#include <QElapsedTimer>
#include <QPalette>
#include <QString>
#include <QWidget>

// Message numbers of the control's one message entry point.
inline constexpr quint32 PBM_SETRANGE = 0x0401;
inline constexpr quint32 PBM_SETPOS = 0x0402;
inline constexpr quint32 PBM_DELTAPOS = 0x0403;
inline constexpr quint32 PBM_SETSTEP = 0x0404;
inline constexpr quint32 PBM_STEPIT = 0x0405;
inline constexpr quint32 PBM_SETRANGE32 = 0x0406;
inline constexpr quint32 PBM_GETRANGE = 0x0407;
inline constexpr quint32 PBM_GETPOS = 0x0408;
inline constexpr quint32 PBM_SETBARCOLOR = 0x0409;
inline constexpr quint32 PBM_SETMARQUEE = 0x040A;
inline constexpr quint32 PBM_SETBKCOLOR = 0x2001;

inline constexpr quint32 PBX_GETBARCOLOR = 0x0464;
inline constexpr quint32 PBX_GETBKCOLOR = 0x0465;
inline constexpr quint32 PBX_SETTEXTCOLOR = 0x0466;
inline constexpr quint32 PBX_GETTEXTCOLOR = 0x0467;
inline constexpr quint32 PBX_SETBARTEXTCOLOR = 0x0468;
inline constexpr quint32 PBX_GETBARTEXTCOLOR = 0x0469;
inline constexpr quint32 PBX_SHOWPERCENT = 0x046A;
inline constexpr quint32 PBX_SETTEXTALIGN = 0x046B;
inline constexpr quint32 PBX_SETMARQUEESIZE = 0x046C;

// Style bits.
inline constexpr quint32 PBS_VERTICAL = 0x04;
inline constexpr quint32 PBS_MARQUEE = 0x08;

// Colours are 0x00BBGGRR values; this one stands for the matching palette colour, looked up at each use.
inline constexpr quint32 CLR_DEFAULT = 0xFF000000;

class CTextProgressCtrl : public QWidget
{
    Q_OBJECT

public:
    // The pair PBM_GETRANGE fills when its lParam points to one.
    struct Range
    {
        int minimum;
        int maximum;
    };

    explicit CTextProgressCtrl(QWidget* parent = nullptr);

    // Does what the message number says with its two arguments and returns the message's result;
    // unknown messages return 0.
    qintptr SendMessage(quint32 message, quintptr wParam = 0, qintptr lParam = 0);

    // The range setters neither repaint nor re-clamp the position.
    void setRange(int minimum, int maximum);
    Range range() const { return {m_minimum, m_maximum}; }

    // Position changes clamp, repaint at once and return the previous position.
    int setPos(int position);
    int offsetPos(int delta);
    int stepIt();
    int pos() const { return m_position; }

    int setStep(int step); // returns the previous step
    int step() const { return m_step; }

    void setMarquee(bool on, int periodMs);
    bool isMarquee() const { return m_style & PBS_MARQUEE; }
    // One marquee step of the period the marquee was started with; shown at the next paint.
    void advanceMarquee();
    // However short the period asked for, the marquee wakes up and paints at most this often: it runs for
    // hours on laptops. Each wake-up moves it by the steps of the time that passed, so it keeps its speed.
    static constexpr int kMarqueeFrameMs = 40;
    int setMarqueeSize(int percent); // returns the new size
    int marqueeSize() const { return m_marqueeSize; }

    // The colour setters return the previous value as stored (possibly CLR_DEFAULT); the getters
    // return the colour in use, with CLR_DEFAULT resolved.
    quint32 setBarColor(quint32 colour);
    quint32 setBkColor(quint32 colour);
    quint32 setTextColor(quint32 colour);
    quint32 setBarTextColor(quint32 colour);
    quint32 barColor() const;
    quint32 bkColor() const;
    quint32 textColor() const;
    quint32 barTextColor() const;

    bool setShowPercent(bool show); // returns the previous flag
    bool showPercent() const { return m_showPercent; }
    int setTextAlign(int align); // 0 start, 2 end, anything else centred; returns the previous value
    int textAlign() const { return m_textAlign; }

    // The window text, shown at the next paint.
    void setText(const QString& text);
    QString text() const { return m_text; }

    void setStyleBits(quint32 style);
    quint32 styleBits() const { return m_style; }

    static QColor toQColor(quint32 colour);
    static quint32 toColorRef(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    int movePosition(qint64 target);
    void stepMarquee();
    int clampedPosition(qint64 target) const;
    int marqueeLimit() const;
    quint32 replaceColour(quint32& member, quint32 colour);
    quint32 resolved(quint32 colour, QPalette::ColorRole role) const;
    void paintBar(QPainter& painter) const;

    QString m_text;
    bool m_showPercent = true;
    quint32 m_barColour = CLR_DEFAULT;
    quint32 m_bkColour = CLR_DEFAULT;
    quint32 m_textColour = CLR_DEFAULT;
    quint32 m_barTextColour = CLR_DEFAULT;
    int m_textAlign = 1;
    int m_position = 0;
    int m_step = 10;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_marqueeSize = 20;
    quint32 m_style = 0;
    QBasicTimer m_marqueeTimer;
    int m_marqueePeriodMs = 10;
    QElapsedTimer m_marqueeClock;
    // Time that passed since the last step, short of a whole period.
    qint64 m_marqueeCarryMs = 0;
};
