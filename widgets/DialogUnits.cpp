#include "DialogUnits.h"

#include <QFontMetricsF>

#include <cmath>

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetricsF metrics(font);
    // The classic average width: the width of the 52 Latin letters divided by 52.
    m_charWidth
        = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    m_lineHeight = int(std::ceil(metrics.height()));
}

int DialogUnits::x(int units) const
{
    return int(std::lround(units * m_charWidth / 4.0));
}

int DialogUnits::y(int units) const
{
    return int(std::lround(units * m_lineHeight / 8.0));
}

QRect DialogUnits::rect(int left, int top, int width, int height) const
{
    return QRect(x(left), y(top), x(width), y(height));
}
