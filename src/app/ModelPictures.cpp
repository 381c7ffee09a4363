#include "ModelPictures.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace talvaro {
namespace {

struct Housing {
    const char* name;
    int sockets;   // extension sockets on the front
    QColor accent; // colour of the front strip
    bool faxTray;
    bool contacts; // terminal block of the switching contacts
};

const std::array<Housing, 6> Housings{{
    {"Vorda 12", 4, QColor(0x7a, 0x86, 0x91), false, false},
    {"Kalnis Fax", 4, QColor(0xb0, 0x5a, 0x2c), true, false},
    {"Mirello 14", 4, QColor(0x1f, 0x6f, 0xb2), false, true},
    {"Quenta 14", 4, QColor(0x2e, 0x8b, 0x57), false, true},
    {"Mirello 16", 6, QColor(0x1f, 0x6f, 0xb2), false, true},
    {"Quenta 26", 6, QColor(0x2e, 0x8b, 0x57), false, true},
}};

constexpr int Width = 300;
constexpr int Height = 220;

} // namespace

QPixmap modelPicture(int index) {
    const Housing& h = Housings[static_cast<size_t>(qBound(0, index, int(Housings.size()) - 1))];
    QPixmap pixmap(Width, Height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor line(0x2b, 0x3a, 0x4a);

    // Housing in a light perspective: front face and top face.
    const QRectF front(30, 80, 240, 110);
    QPainterPath top;
    top.moveTo(front.topLeft());
    top.lineTo(front.left() + 30, front.top() - 40);
    top.lineTo(front.right() + 10, front.top() - 40);
    top.lineTo(front.topRight());
    top.closeSubpath();
    p.setPen(QPen(line, 2));
    p.setBrush(QColor(0xf4, 0xf6, 0xf8));
    p.drawPath(top);
    p.setBrush(QColor(0xe6, 0xea, 0xee));
    p.drawRoundedRect(front, 6, 6);

    // Name strip.
    p.setBrush(h.accent);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(front.left() + 2, front.top() + 10, front.width() - 4, 26));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(front.left() + 12, front.top() + 10, front.width() - 24, 26),
               Qt::AlignVCenter | Qt::AlignLeft, QString::fromUtf8(h.name));

    // Extension sockets, the external line and the door intercom.
    p.setPen(QPen(line, 1.5));
    p.setBrush(Qt::white);
    const int sockets = h.sockets + 2;
    const double gap = 6;
    const double socketWidth = (front.width() - 28 - gap * (sockets - 1)) / sockets;
    double x = front.left() + 14;
    const double y = front.bottom() - 44;
    for (int i = 0; i < sockets; ++i) {
        p.drawRect(QRectF(x, y, socketWidth, 18));
        p.drawRect(QRectF(x + socketWidth / 4, y + 12, socketWidth / 2, 6));
        x += socketWidth + gap;
    }
    font.setPixelSize(9);
    font.setBold(false);
    p.setFont(font);
    p.setPen(line);
    x = front.left() + 14;
    for (int i = 0; i < sockets; ++i) {
        const QString caption = i < h.sockets    ? QString::number(21 + i)
                                : i == h.sockets ? QStringLiteral("Amt")
                                                 : QStringLiteral("TFE");
        p.drawText(QRectF(x - 4, y + 20, socketWidth + 8, 12), Qt::AlignCenter, caption);
        x += socketWidth + gap;
    }

    // Operating light.
    p.setBrush(QColor(0x3c, 0xb3, 0x71));
    p.drawEllipse(QPointF(front.right() - 18, front.top() + 52), 4, 4);

    if (h.contacts) {
        p.setBrush(QColor(0xd8, 0xc0, 0x5a));
        p.drawRect(QRectF(front.right() - 64, front.top() + 44, 36, 14));
    }
    if (h.faxTray) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(front.left() + 60, front.top() - 30, 120, 14));
        p.drawLine(QPointF(front.left() + 70, front.top() - 23),
                   QPointF(front.left() + 170, front.top() - 23));
    }
    return pixmap;
}

} // namespace talvaro
