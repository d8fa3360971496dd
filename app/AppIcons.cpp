#include "AppIcons.h"

#include "ResourceIds.h"
#include "UserFolders.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <iterator>

namespace {

// Every icon is drawn on a 32 × 32 grid and scaled; shapes sit on even coordinates so that they stay sharp
// at 16 pixels.
constexpr qreal kGrid = 32.0;

const QColor kSevenZip(0x2a, 0x5d, 0xb0);
const QColor kZip(0xe0, 0x8a, 0x16);
const QColor kMirror(0x1f, 0x9a, 0x8a);
const QColor kBadge(0x2e, 0xa0, 0x3c);
const QColor kOutline(0x30, 0x30, 0x30);

// A closed archive box with a band across it and the format's letter on the band.
void drawArchive(QPainter& p, const QColor& colour, const QString& letter, const QRectF& box)
{
    p.setPen(QPen(colour.darker(170), 2));
    p.setBrush(colour);
    p.drawRoundedRect(box, 3, 3);
    const QRectF lid(box.left(), box.top(), box.width(), box.height() * 0.28);
    p.setBrush(colour.lighter(130));
    p.drawRoundedRect(lid, 3, 3);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(int(box.height() * 0.62));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(box.adjusted(0, box.height() * 0.22, 0, 0), Qt::AlignCenter, letter);
}

// Full archive: one large box.
void drawFull(QPainter& p, const QColor& colour, const QString& letter)
{
    drawArchive(p, colour, letter, QRectF(3, 3, 26, 26));
}

// Incremental archive: a smaller box with a second one behind it and a "+" badge for the updates.
void drawIncremental(QPainter& p, const QColor& colour, const QString& letter)
{
    p.setPen(QPen(colour.darker(170), 2));
    p.setBrush(colour.lighter(150));
    p.drawRoundedRect(QRectF(9, 1, 20, 20), 3, 3);
    drawArchive(p, colour, letter, QRectF(2, 7, 22, 22));

    const QRectF badge(17, 17, 14, 14);
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(kBadge);
    p.drawEllipse(badge);
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(24, 20), QPointF(24, 28));
    p.drawLine(QPointF(20, 24), QPointF(28, 24));
}

void drawFolder(QPainter& p, const QRectF& r, const QColor& colour)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top() + 3);
    path.lineTo(r.left() + r.width() * 0.4, r.top() + 3);
    path.lineTo(r.left() + r.width() * 0.5, r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(colour.darker(160), 1.5));
    p.setBrush(colour);
    p.drawPath(path);
}

// Mirror: a folder and its copy, with an arrow from the first to the second.
void drawMirror(QPainter& p)
{
    drawFolder(p, QRectF(2, 2, 20, 14), kMirror.lighter(150));
    drawFolder(p, QRectF(10, 16, 20, 14), kMirror);
    // Stroke and corners on whole pixels at 16 px, so the arrow stays crisp at the list's size.
    p.setPen(QPen(kOutline, 4, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(6, 14), QPointF(6, 24), QPointF(12, 24)}));
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawPolygon(QPolygonF({QPointF(12, 18), QPointF(18, 24), QPointF(12, 30)}));
}

// The program: an open box with an arrow going into it.
void drawProgram(QPainter& p)
{
    const QColor box(0xb5, 0x7a, 0x3c);
    p.setPen(QPen(box.darker(170), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(box.lighter(120));
    p.drawPolygon(QPolygonF({QPointF(3, 14), QPointF(9, 10), QPointF(9, 16), QPointF(4, 19)}));
    p.drawPolygon(QPolygonF({QPointF(29, 14), QPointF(23, 10), QPointF(23, 16), QPointF(28, 19)}));
    p.setBrush(box);
    p.drawRect(QRectF(6, 16, 20, 14));
    p.setPen(QPen(box.darker(140), 1.5));
    p.drawLine(QPointF(6, 20), QPointF(26, 20));

    p.setPen(Qt::NoPen);
    p.setBrush(kSevenZip);
    p.drawRect(QRectF(13, 1, 6, 10));
    p.drawPolygon(QPolygonF({QPointF(8, 10), QPointF(24, 10), QPointF(16, 19)}));
}

QPixmap render(int resourceId, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / kGrid, size / kGrid);
    switch (resourceId) {
    case IconId::Program:
        drawProgram(p);
        break;
    case IconId::FullSevenZip:
        drawFull(p, kSevenZip, QStringLiteral("7"));
        break;
    case IconId::FullZip:
        drawFull(p, kZip, QStringLiteral("Z"));
        break;
    case IconId::IncrementalZip:
        drawIncremental(p, kZip, QStringLiteral("Z"));
        break;
    case IconId::IncrementalSevenZip:
        drawIncremental(p, kSevenZip, QStringLiteral("7"));
        break;
    case IconId::Mirror:
        drawMirror(p);
        break;
    }
    return pixmap;
}

} // namespace

QIcon AppIcon(int resourceId)
{
    // The list asks for one icon per row, so each is drawn once.
    static QHash<int, QIcon> cache;
    if (const auto it = cache.constFind(resourceId); it != cache.constEnd())
        return *it;
    static const int knownIds[] = {IconId::Program, IconId::FullSevenZip, IconId::FullZip, IconId::IncrementalZip,
        IconId::IncrementalSevenZip, IconId::Mirror};
    if (std::find(std::begin(knownIds), std::end(knownIds), resourceId) == std::end(knownIds))
        return QIcon();

    QIcon icon;
    icon.addPixmap(render(resourceId, 16));
    icon.addPixmap(render(resourceId, 32));
    if (resourceId == IconId::Program)
        icon.addPixmap(render(resourceId, 48));
    cache.insert(resourceId, icon);
    return icon;
}

QIcon ProgramIcon()
{
    return QIcon::fromTheme(ApplicationId(), AppIcon(IconId::Program));
}
