#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace talvaro {

QPixmap appIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // Housing with a row of line sockets.
    p.setPen(QPen(QColor(0x2b, 0x3a, 0x4a), 2.5));
    p.setBrush(QColor(0xe8, 0xee, 0xf3));
    p.drawRoundedRect(QRectF(6, 24, 52, 32), 5, 5);
    p.setBrush(QColor(0x2b, 0x3a, 0x4a));
    for (int i = 0; i < 6; ++i)
        p.drawRect(QRectF(11 + i * 7.5, 46, 4, 5));
    p.setBrush(QColor(0x3c, 0xb3, 0x71));
    p.drawEllipse(QPointF(50, 31), 2.5, 2.5);

    // Handset above the housing.
    QPainterPath handset;
    handset.moveTo(12, 18);
    handset.cubicTo(12, 6, 52, 6, 52, 18);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x1f, 0x6f, 0xb2), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(handset);
    return pixmap;
}

QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(appIconPixmap(size));
    return icon;
}

} // namespace talvaro
