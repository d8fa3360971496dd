#include "CTextProgressCtrl.h"

#include "CMyMemDC.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace {

// Shared by every bar and kept across stops, so a restarted marquee carries on the way it was going.
int g_marqueeDirection = 1;

int narrowToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

// A run along the bar's length, measured from the end where filling starts; from >= to is empty.
struct Span
{
    qint64 from = 0;
    qint64 to = 0;
    bool on = true;
};

} // namespace

CTextProgressCtrl::CTextProgressCtrl(QWidget* parent)
    : QWidget(parent)
{
    // Every paint covers the whole control, so Qt must not erase it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

qintptr CTextProgressCtrl::SendMessage(quint32 message, quintptr wParam, qintptr lParam)
{
    const auto packedRange
        = [this] { return qintptr(quint32(m_minimum & 0xFFFF) | (quint32(m_maximum & 0xFFFF) << 16)); };
    switch (message) {
    case PBM_SETRANGE: {
        const qintptr old = packedRange();
        const auto words = quint32(lParam);
        setRange(int(words & 0xFFFF), int(words >> 16));
        return old;
    }
    case PBM_SETRANGE32: {
        const qintptr old = packedRange();
        setRange(int(wParam), int(lParam));
        return old;
    }
    case PBM_GETRANGE:
        // The message's integer argument carries the caller's pointer, as the message interface defines.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        if (auto* pair = reinterpret_cast<Range*>(lParam))
            *pair = range();
        return wParam ? m_minimum : m_maximum;
    case PBM_SETPOS:
        return setPos(int(wParam));
    case PBM_DELTAPOS:
        return offsetPos(int(wParam));
    case PBM_SETSTEP:
        return setStep(int(wParam));
    case PBM_STEPIT:
        return stepIt();
    case PBM_GETPOS:
        return pos();
    case PBM_SETBARCOLOR:
        return setBarColor(quint32(lParam));
    case PBM_SETBKCOLOR:
        return setBkColor(quint32(lParam));
    case PBM_SETMARQUEE:
        setMarquee(wParam != 0, int(lParam));
        return qintptr(wParam);
    case PBX_GETBARCOLOR:
        return barColor();
    case PBX_GETBKCOLOR:
        return bkColor();
    case PBX_SETTEXTCOLOR:
        return setTextColor(quint32(lParam));
    case PBX_GETTEXTCOLOR:
        return textColor();
    case PBX_SETBARTEXTCOLOR:
        return setBarTextColor(quint32(lParam));
    case PBX_GETBARTEXTCOLOR:
        return barTextColor();
    case PBX_SHOWPERCENT:
        return setShowPercent(wParam != 0);
    case PBX_SETTEXTALIGN:
        return setTextAlign(int(wParam));
    case PBX_SETMARQUEESIZE:
        return setMarqueeSize(int(wParam));
    default:
        return 0;
    }
}

void CTextProgressCtrl::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
}

int CTextProgressCtrl::setPos(int position)
{
    return movePosition(position);
}

int CTextProgressCtrl::offsetPos(int delta)
{
    return movePosition(qint64(m_position) + delta);
}

int CTextProgressCtrl::stepIt()
{
    // Wrapping keeps the overshoot: 95 + 10 in 0..100 lands on 5, not 0.
    qint64 next = qint64(m_position) + m_step;
    if (next < m_minimum)
        next = m_maximum - (m_minimum - next);
    else if (next > m_maximum)
        next = m_minimum + (next - m_maximum);
    return movePosition(next);
}

int CTextProgressCtrl::setStep(int step)
{
    return std::exchange(m_step, step);
}

int CTextProgressCtrl::movePosition(qint64 target)
{
    const int old = m_position;
    m_position = clampedPosition(target);
    repaint();
    return old;
}

int CTextProgressCtrl::clampedPosition(qint64 target) const
{
    // The marquee may run past the maximum so that its block can slide out of the bar.
    const qint64 upper = isMarquee() ? marqueeLimit() : m_maximum;
    if (target < m_minimum)
        target = m_minimum;
    if (target > upper)
        target = upper;
    return narrowToInt(target);
}

int CTextProgressCtrl::marqueeLimit() const
{
    const double limit = std::trunc(((double(m_marqueeSize) + 100.0) * m_maximum + 0.5) / 100.0);
    return int(std::clamp(limit, double(INT_MIN), double(INT_MAX)));
}

void CTextProgressCtrl::setMarquee(bool on, int periodMs)
{
    m_showPercent = false;
    if (on) {
        m_style |= PBS_MARQUEE;
        m_marqueePeriodMs = std::max(periodMs, 1);
        m_marqueeCarryMs = 0;
        m_marqueeClock.start();
        m_marqueeTimer.start(std::max(m_marqueePeriodMs, kMarqueeFrameMs), this);
    } else {
        m_marqueeTimer.stop();
        m_style &= ~PBS_MARQUEE;
    }
    repaint();
}

void CTextProgressCtrl::stepMarquee()
{
    const int position = m_position;
    if (g_marqueeDirection == 1 && position >= marqueeLimit())
        g_marqueeDirection = -1;
    else if (g_marqueeDirection == -1 && position <= m_minimum)
        g_marqueeDirection = 1;
    m_position = clampedPosition(qint64(position) + g_marqueeDirection);
}

void CTextProgressCtrl::advanceMarquee()
{
    stepMarquee();
    update();
}

int CTextProgressCtrl::setMarqueeSize(int percent)
{
    m_marqueeSize = percent;
    repaint();
    return m_marqueeSize;
}

void CTextProgressCtrl::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_marqueeTimer.timerId()) {
        const qint64 elapsed = m_marqueeCarryMs + m_marqueeClock.restart();
        // A machine back from sleep does not replay the night: at most one whole run up and back.
        const qint64 steps = std::min<qint64>(elapsed / m_marqueePeriodMs, 2 * qint64(marqueeLimit()) + 2);
        m_marqueeCarryMs = elapsed % m_marqueePeriodMs;
        for (qint64 i = 0; i < steps; ++i)
            stepMarquee();
        update();
    } else
        QWidget::timerEvent(event);
}

quint32 CTextProgressCtrl::replaceColour(quint32& member, quint32 colour)
{
    const quint32 old = std::exchange(member, colour);
    repaint();
    return old;
}

quint32 CTextProgressCtrl::setBarColor(quint32 colour)
{
    return replaceColour(m_barColour, colour);
}

quint32 CTextProgressCtrl::setBkColor(quint32 colour)
{
    return replaceColour(m_bkColour, colour);
}

quint32 CTextProgressCtrl::setTextColor(quint32 colour)
{
    return replaceColour(m_textColour, colour);
}

quint32 CTextProgressCtrl::setBarTextColor(quint32 colour)
{
    return replaceColour(m_barTextColour, colour);
}

quint32 CTextProgressCtrl::resolved(quint32 colour, QPalette::ColorRole role) const
{
    return colour == CLR_DEFAULT ? toColorRef(palette().color(role)) : colour;
}

quint32 CTextProgressCtrl::barColor() const
{
    return resolved(m_barColour, QPalette::Highlight);
}

quint32 CTextProgressCtrl::bkColor() const
{
    return resolved(m_bkColour, QPalette::Button);
}

quint32 CTextProgressCtrl::textColor() const
{
    return resolved(m_textColour, QPalette::WindowText);
}

quint32 CTextProgressCtrl::barTextColor() const
{
    return resolved(m_barTextColour, QPalette::Base);
}

bool CTextProgressCtrl::setShowPercent(bool show)
{
    const bool old = std::exchange(m_showPercent, show);
    repaint();
    return old;
}

int CTextProgressCtrl::setTextAlign(int align)
{
    const int old = std::exchange(m_textAlign, align);
    repaint();
    return old;
}

void CTextProgressCtrl::setText(const QString& text)
{
    m_text = text;
    update();
}

void CTextProgressCtrl::setStyleBits(quint32 style)
{
    m_style = style;
    update();
}

QColor CTextProgressCtrl::toQColor(quint32 colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

quint32 CTextProgressCtrl::toColorRef(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    return quint32(qRed(rgb)) | (quint32(qGreen(rgb)) << 8) | (quint32(qBlue(rgb)) << 16);
}

void CTextProgressCtrl::paintEvent(QPaintEvent* event)
{
    // An empty range has no picture; whatever was on screen stays.
    if (m_minimum >= m_maximum)
        return;
    CMyMemDC buffer(this, event->rect());
    if (buffer.painter().isActive())
        paintBar(buffer.painter());
}

void CTextProgressCtrl::paintBar(QPainter& painter) const
{
    const QColor barColour = toQColor(barColor());
    const QColor bkColour = toQColor(bkColor());
    const QColor textColour = toQColor(textColor());
    const QColor barTextColour = toQColor(barTextColor());

    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect bar = rect().adjusted(1, 1, -1, -1);
    if (bar.isEmpty())
        return;

    const bool vertical = m_style & PBS_VERTICAL;
    double done = (double(m_position) - m_minimum) / (double(m_maximum) - m_minimum);
    // Outside marquee mode a position beyond the range (left over from a range change or a stopped
    // marquee) shows as an empty or full bar.
    if (!isMarquee())
        done = std::clamp(done, 0.0, 1.0);

    // Lengths in 64 bits so that extreme marquee positions and sizes cannot overflow.
    const qint64 length = vertical ? bar.height() : bar.width();
    const qint64 reach = qint64(std::trunc(std::clamp(double(length) * done, -1e12, 1e12)));
    Span before {0, 0, false};
    Span filled {0, reach};
    Span after {reach, length};
    if (isMarquee()) {
        const qint64 block = (length * m_marqueeSize + 50) / 100;
        filled.from = reach - block;
        if (reach - block > 0)
            before = {0, reach - block};
        else
            filled.from = 0;
        if (reach >= length) {
            after.on = false;
            filled.to = length;
        }
    }

    const auto area = [&](const Span& span) {
        const qint64 from = std::clamp<qint64>(span.from, 0, length);
        const qint64 to = std::clamp<qint64>(span.to, 0, length);
        if (!span.on || to <= from)
            return QRect();
        if (vertical)
            return QRect(bar.left(), int(bar.top() + length - to), bar.width(), int(to - from));
        return QRect(int(bar.left() + from), bar.top(), int(to - from), bar.height());
    };
    const QRect beforeArea = area(before);
    const QRect filledArea = area(filled);
    const QRect afterArea = area(after);
    painter.fillRect(beforeArea, bkColour);
    painter.fillRect(filledArea, barColour);
    painter.fillRect(afterArea, bkColour);

    QString text = m_text;
    if (m_showPercent) {
        const double percent = std::clamp(std::trunc(done * 100 + 0.5), double(INT_MIN), double(INT_MAX));
        text += QString::asprintf("%d%%", int(percent));
    }
    if (text.isEmpty())
        return;

    painter.setFont(font());
    const QFontMetrics metrics = painter.fontMetrics();
    const int textWidth = metrics.horizontalAdvance(text);
    const int textHeight = metrics.height();
    const int left = bar.left();
    const int top = bar.top();
    const int right = bar.left() + bar.width();
    const int bottom = bar.top() + bar.height();
    // (x, y) is where the text starts, on the top edge of its line.
    int x = 0;
    int y = 0;
    if (vertical) {
        if (m_textAlign == 0)
            y = bottom - 3;
        else if (m_textAlign == 2)
            y = top + textWidth + 2;
        else
            y = top + (bar.height() - textWidth) / 2 + textWidth;
        x = left + (bar.width() - textHeight) / 2;
    } else {
        if (m_textAlign == 0)
            x = left + 2;
        else if (m_textAlign == 2)
            x = right - textWidth - 3;
        else
            x = left + (bar.width() - textWidth) / 2;
        y = top + (bar.height() - textHeight) / 2;
    }

    // The same text is drawn once per part, clipped to it, so its colour changes exactly at the
    // edge of the filled part.
    const auto drawIn = [&](const QRect& part, const QColor& colour) {
        if (part.isEmpty())
            return;
        painter.save();
        painter.setClipRect(part);
        painter.setPen(colour);
        painter.translate(x, y);
        if (vertical)
            painter.rotate(-90);
        painter.drawText(0, metrics.ascent(), text);
        painter.restore();
    };
    drawIn(beforeArea, textColour);
    drawIn(filledArea, barTextColour);
    drawIn(afterArea, textColour);
}
