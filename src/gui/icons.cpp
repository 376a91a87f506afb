#include "icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace kervio {

namespace {

// All drawing is on a 32 x 32 grid, scaled to the requested size.
void arrow(QPainter &p, QPointF from, QPointF to, const QColor &c)
{
    p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    QPolygonF head;
    head << to + d * 3 << to - d * 4 + n * 4 << to - d * 4 - n * 4;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(head);
}

void printer(QPainter &p)
{
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 10));
    p.setBrush(QColor(120, 130, 150));
    p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 19, 14, 10));
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.drawLine(QPointF(11, 23), QPointF(21, 23));
    p.drawLine(QPointF(11, 26), QPointF(19, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 200, 60));
    p.drawEllipse(QRectF(24, 14, 3, 3));
}

void excelSheet(QPainter &p)
{
    p.setPen(QPen(QColor(20, 100, 50), 1.5));
    p.setBrush(QColor(230, 245, 230));
    p.drawRect(QRectF(4, 4, 24, 24));
    p.setPen(QPen(QColor(20, 100, 50), 1));
    for (int x = 10; x < 28; x += 6)
        p.drawLine(QPointF(x, 4), QPointF(x, 28));
    for (int y = 10; y < 28; y += 6)
        p.drawLine(QPointF(4, y), QPointF(28, y));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 120, 60));
    p.drawRect(QRectF(4, 4, 11, 11));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(7, 7), QPointF(12, 12));
    p.drawLine(QPointF(12, 7), QPointF(7, 12));
}

void draw(QPainter &p, Picture pic)
{
    switch (pic) {
    case Picture::Save:
        p.setPen(QPen(QColor(30, 50, 120), 1.5));
        p.setBrush(QColor(60, 90, 180));
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 4, 14, 9));
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(QRectF(8, 18, 16, 10));
        break;
    case Picture::Open:
        p.setPen(QPen(QColor(150, 110, 20), 1.5));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(3, 8, 22, 18));
        p.setBrush(QColor(255, 225, 130));
        p.drawPolygon(QPolygonF({QPointF(3, 26), QPointF(9, 14), QPointF(30, 14), QPointF(25, 26)}));
        break;
    case Picture::ExcelOut:
        excelSheet(p);
        arrow(p, QPointF(14, 22), QPointF(27, 22), QColor(200, 60, 30));
        break;
    case Picture::ExcelIn:
        excelSheet(p);
        arrow(p, QPointF(28, 22), QPointF(15, 22), QColor(30, 90, 200));
        break;
    case Picture::Print:
        printer(p);
        break;
    case Picture::Preview:
        printer(p);
        p.setPen(QPen(QColor(20, 20, 20), 2.5));
        p.setBrush(QColor(200, 230, 255, 200));
        p.drawEllipse(QRectF(14, 13, 11, 11));
        p.drawLine(QPointF(23, 22), QPointF(29, 28));
        break;
    case Picture::Rates: {
        p.setPen(QPen(QColor(130, 60, 20), 1.5));
        p.setBrush(QColor(250, 235, 200));
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 4, 4);
        QFont f = p.font();
        f.setPixelSize(18);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(170, 40, 20));
        p.drawText(QRectF(4, 4, 24, 24), Qt::AlignCenter, QStringLiteral("%"));
        break;
    }
    case Picture::Recalc: {
        p.setPen(QPen(QColor(20, 120, 40), 3, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(6, 6, 20, 20), 30 * 16, 250 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 120, 40));
        p.drawPolygon(QPolygonF({QPointF(21, 4), QPointF(29, 11), QPointF(19, 13)}));
        break;
    }
    case Picture::Reset:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 40, 40));
        p.drawEllipse(QRectF(4, 4, 24, 24));
        p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 11), QPointF(21, 21));
        p.drawLine(QPointF(21, 11), QPointF(11, 21));
        break;
    case Picture::Sort:
        p.setPen(QPen(QColor(40, 40, 110), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 7), QPointF(28, 7));
        p.drawLine(QPointF(16, 14), QPointF(25, 14));
        p.drawLine(QPointF(16, 21), QPointF(22, 21));
        p.drawLine(QPointF(16, 28), QPointF(19, 28));
        arrow(p, QPointF(8, 4), QPointF(8, 24), QColor(30, 110, 200));
        break;
    case Picture::Help: {
        p.setPen(QPen(QColor(20, 60, 140), 1.5));
        p.setBrush(QColor(60, 130, 220));
        p.drawEllipse(QRectF(3, 3, 26, 26));
        QFont f = p.font();
        f.setPixelSize(20);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case Picture::Mail:
        p.setPen(QPen(QColor(90, 70, 30), 1.5));
        p.setBrush(QColor(250, 240, 200));
        p.drawRect(QRectF(3, 8, 26, 17));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(16, 18), QPointF(29, 8)}));
        break;
    case Picture::Update:
        p.setPen(QPen(QColor(20, 90, 40), 1.5));
        p.setBrush(QColor(220, 240, 220));
        p.drawRoundedRect(QRectF(4, 20, 24, 8), 2, 2);
        arrow(p, QPointF(16, 3), QPointF(16, 19), QColor(20, 140, 60));
        break;
    case Picture::Manual:
        p.setPen(QPen(QColor(90, 30, 30), 1.5));
        p.setBrush(QColor(170, 50, 50));
        p.drawRect(QRectF(6, 4, 20, 24));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 7, 14, 8));
        break;
    case Picture::Find:
        p.setPen(QPen(QColor(20, 20, 20), 2.5));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QRectF(4, 4, 16, 16));
        p.drawLine(QPointF(18, 18), QPointF(28, 28));
        break;
    }
}

} // namespace

QIcon pictureIcon(Picture pic, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p, pic);
    p.end();
    return QIcon(pm);
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace kervio
