#pragma once

// Turns dialog-template units into pixels from a dialog's font, so every window can keep its controls
// in one table of template positions.

#include <QFont>
#include <QRect>

class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);

    int x(int units) const;
    int y(int units) const;
    QRect rect(int left, int top, int width, int height) const;

    double averageCharWidth() const { return m_charWidth; }
    int lineHeight() const { return m_lineHeight; }

private:
    double m_charWidth;
    int m_lineHeight;
};
