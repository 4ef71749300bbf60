#include "app_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

using Painter = void (*)(QPainter&);

// Paints on request at the size asked for, so that nothing is drawn before it
// is shown and every screen gets a sharp image.
class DrawnIcon final : public QIconEngine {
  public:
    explicit DrawnIcon(Painter draw) : paint_(draw) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 32.0, rect.height() / 32.0);  // drawn on a 32 x 32 grid
        paint_(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap image(size);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return image;
    }

    QIconEngine* clone() const override { return new DrawnIcon(paint_); }

    // Window systems that take a set of images (X11) ask for these: the sizes of
    // the icon theme's PNGs too (QV_ICON_SIZES in ui/CMakeLists.txt).
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int size : {QV_ICON_SIZES}) sizes.append({size, size});
        return sizes;
    }

  private:
    Painter paint_;
};

// A document with a pulse line across it: one component's activity.
void PaintActivity(QPainter& p) {
    p.setPen(QPen(QColor(0x1f, 0x3a, 0x5f), 1.5));
    p.setBrush(QColor(0xf4, 0xf7, 0xfb));
    p.drawRoundedRect(QRectF(4.5, 2.5, 23, 27), 2.5, 2.5);
    p.setPen(QPen(QColor(0x9a, 0xa8, 0xb8), 1.5, Qt::SolidLine, Qt::RoundCap));
    for (const double y : {8.0, 24.0}) p.drawLine(QPointF(9, y), QPointF(23, y));
    QPainterPath pulse(QPointF(7, 16));
    pulse.lineTo(12, 16);
    pulse.lineTo(14.5, 10);
    pulse.lineTo(17.5, 21);
    pulse.lineTo(20, 16);
    pulse.lineTo(25, 16);
    p.setPen(QPen(QColor(0xd9, 0x48, 0x2b), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(pulse);
}

// A frame holding two windows, the front one with a pulse line.
void PaintFrame(QPainter& p) {
    p.setPen(QPen(QColor(0x1f, 0x3a, 0x5f), 1.5));
    p.setBrush(QColor(0x2f, 0x5d, 0x8a));
    p.drawRoundedRect(QRectF(1.5, 3.5, 29, 25), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc9, 0xd6, 0xe3));
    p.drawRect(QRectF(5, 9, 15, 10));
    p.setBrush(QColor(0xf4, 0xf7, 0xfb));
    p.drawRect(QRectF(11, 13, 16, 12));
    QPainterPath pulse(QPointF(12.5, 19));
    pulse.lineTo(16, 19);
    pulse.lineTo(18, 15.5);
    pulse.lineTo(20.5, 22.5);
    pulse.lineTo(22.5, 19);
    pulse.lineTo(25.5, 19);
    p.setPen(QPen(QColor(0xd9, 0x48, 0x2b), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(pulse);
}

}  // namespace

QIcon FrameIcon() {
    return QIcon(new DrawnIcon(PaintFrame));
}

QIcon ActivityIcon() {
    return QIcon(new DrawnIcon(PaintActivity));
}
