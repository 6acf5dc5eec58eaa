// Draws the program's icon, a receiver front, as veltrix_<size>.png into the
// current folder. Run once when the artwork changes; the PNGs are committed:
//   c++ -std=c++20 -fPIC draw_icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o draw_icons
//   QT_QPA_PLATFORM=offscreen ./draw_icons

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// Drawn on a 256-unit square; small sizes leave out the fine detail.
QImage Draw(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    const bool detail = size >= 32;

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x14, 0x16, 0x1a));
    p.drawRoundedRect(QRectF(30, 186, 34, 16), 4, 4); // feet
    p.drawRoundedRect(QRectF(192, 186, 34, 16), 4, 4);

    QLinearGradient body(0, 60, 0, 196);
    body.setColorAt(0, QColor(0x4a, 0x50, 0x5a));
    body.setColorAt(1, QColor(0x1b, 0x1e, 0x23));
    p.setBrush(body);
    p.setPen(QPen(QColor(0x0c, 0x0d, 0x10), detail ? 4 : 10));
    p.drawRoundedRect(QRectF(8, 60, 240, 132), 18, 18);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x06, 0x2c, 0x3a));
    const QRectF display = detail ? QRectF(26, 82, 122, 50) : QRectF(22, 88, 118, 56);
    p.drawRoundedRect(display, 8, 8);
    p.setBrush(QColor(0x5f, 0xe3, 0xff));
    if (detail) {
        for (int i = 0; i < 5; ++i) // the level meter
            p.drawRect(QRectF(36 + i * 12, 116 - i * 5, 8, 8 + i * 5));
        p.drawRoundedRect(QRectF(104, 94, 34, 10), 3, 3);
        p.drawRoundedRect(QRectF(104, 110, 24, 10), 3, 3);
        p.setBrush(QColor(0x6a, 0x72, 0x7e));
        for (int i = 0; i < 4; ++i)
            p.drawRoundedRect(QRectF(26 + i * 32, 148, 24, 14), 4, 4);
        p.setBrush(QColor(0x3d, 0xff, 0x8a)); // power light
        p.drawEllipse(QPointF(156, 155), 5, 5);
    } else {
        p.drawRect(QRectF(36, 106, 90, 20));
    }

    const QPointF centre(200, 124);
    const qreal radius = detail ? 38 : 46;
    p.setBrush(QColor(0x2f, 0xa8, 0xff));
    p.drawEllipse(centre, radius + 6, radius + 6);
    QRadialGradient knob(centre - QPointF(12, 14), radius * 1.6);
    knob.setColorAt(0, QColor(0xf2, 0xf4, 0xf6));
    knob.setColorAt(1, QColor(0x6e, 0x75, 0x80));
    p.setBrush(knob);
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(QColor(0x1b, 0x1e, 0x23), detail ? 7 : 12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre - QPointF(radius * 0.35, radius * 0.35),
               centre - QPointF(radius * 0.75, radius * 0.75));
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        if (!Draw(size).save(QStringLiteral("veltrix_%1.png").arg(size)))
            return 1;
    }
    return 0;
}
