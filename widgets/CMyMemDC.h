#pragma once

// Off-screen surface for one paint event: the picture is composed in a buffer the size of the painted
// area and reaches the widget in a single copy when the surface goes out of scope, so nothing flickers.

#include <QPainter>
#include <QPixmap>
#include <QRect>

class QWidget;

class CMyMemDC
{
public:
    // Only valid inside target's paint event; area is the event's rectangle, in widget coordinates.
    CMyMemDC(QWidget* target, const QRect& area);
    ~CMyMemDC();

    CMyMemDC(const CMyMemDC&) = delete;
    CMyMemDC& operator=(const CMyMemDC&) = delete;

    // Draws into the buffer in the widget's own coordinates.
    QPainter& painter() { return m_painter; }

private:
    QWidget* m_target;
    QRect m_area;
    QPixmap m_buffer;
    QPainter m_painter;
};
