#include "AppIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace talvaro {
namespace {

using Drawing = std::function<void(QPainter&)>; // on a 64 x 64 canvas

// An icon drawn at the size asked for, when it is asked for.
class DrawnIconEngine : public QIconEngine {
public:
    explicit DrawnIconEngine(Drawing draw) : m_draw(std::move(draw)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 64.0, rect.height() / 64.0);
        m_draw(*painter);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }
    QIconEngine* clone() const override { return new DrawnIconEngine(m_draw); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}};
    }

private:
    Drawing m_draw;
};

void drawTelephoneSystem(QPainter& p) {
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
}

void drawPrinter(QPainter& p) {
    const QColor ink(0x2b, 0x3a, 0x4a);
    p.setPen(QPen(ink, 3));
    // The sheet going in at the top, the body, and the printed sheet coming out.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(18, 6, 28, 18));
    p.setBrush(QColor(0xc8, 0xd2, 0xdc));
    p.drawRoundedRect(QRectF(6, 22, 52, 24), 4, 4);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(16, 38, 32, 20));
    p.drawLine(QPointF(22, 46), QPointF(42, 46));
    p.drawLine(QPointF(22, 52), QPointF(36, 52));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3c, 0xb3, 0x71));
    p.drawEllipse(QPointF(50, 30), 2.5, 2.5);
}

} // namespace

QPixmap appIconPixmap(int size) {
    return appIcon().pixmap(size);
}

QIcon appIcon() {
    return QIcon(new DrawnIconEngine(drawTelephoneSystem));
}

QIcon printIcon() {
    return QIcon(new DrawnIconEngine(drawPrinter));
}

} // namespace talvaro
