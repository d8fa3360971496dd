#include "CMyMemDC.h"

#include <QDialog>
#include <QPalette>
#include <QWidget>

namespace {

// What would show through if a paint left a pixel untouched: the dialog face inside dialogs,
// otherwise the widget's own background.
QColor backgroundOf(const QWidget* target)
{
    if (qobject_cast<const QDialog*>(target->window()))
        return target->palette().color(QPalette::Button);
    return target->palette().color(target->backgroundRole());
}

} // namespace

CMyMemDC::CMyMemDC(QWidget* target, const QRect& area)
    : m_target(target)
    , m_area(area)
{
    if (m_area.isEmpty())
        return;
    const qreal ratio = target->devicePixelRatioF();
    m_buffer = QPixmap(m_area.size() * ratio);
    m_buffer.setDevicePixelRatio(ratio);
    m_buffer.fill(backgroundOf(target));
    m_painter.begin(&m_buffer);
    m_painter.translate(-m_area.topLeft());
}

CMyMemDC::~CMyMemDC()
{
    if (!m_painter.isActive())
        return;
    m_painter.end();
    QPainter screen(m_target);
    screen.setCompositionMode(QPainter::CompositionMode_Source);
    screen.drawPixmap(m_area.topLeft(), m_buffer);
}
