// Draws the Levels page's listener picture: a listener seated in an armchair,
// seen from above, facing the top edge (the front speakers). Transparent
// outside the figure, so the page's own background shows there.
//
// Built with the program; run it and commit the PNG:
//   QT_QPA_PLATFORM=offscreen build/scripts/tools/draw_listener resources/pictures/listener.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QImage image(74, 110, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const auto shape = [&p](const QColor& fill, const QRectF& r, qreal radius) {
        p.setPen(QPen(fill.darker(160), 1));
        p.setBrush(fill);
        p.drawRoundedRect(r, radius, radius);
    };

    // Armchair: seat, armrests, back rest behind the listener.
    const QColor chair(150, 48, 44);
    shape(chair.lighter(115), QRectF(14, 34, 46, 62), 6);
    shape(chair, QRectF(3, 30, 13, 70), 6);
    shape(chair, QRectF(58, 30, 13, 70), 6);
    shape(chair.darker(110), QRectF(5, 86, 64, 20), 8);

    // Legs reaching forward, shoes at the front.
    const QColor trousers(58, 70, 104);
    shape(trousers, QRectF(22, 14, 13, 56), 6);
    shape(trousers, QRectF(39, 14, 13, 56), 6);
    const QColor shoe(70, 44, 28);
    shape(shoe, QRectF(21, 5, 14, 14), 6);
    shape(shoe, QRectF(39, 5, 14, 14), 6);

    // Arms along the armrests, hands at their front ends.
    const QColor shirt(72, 122, 186);
    shape(shirt, QRectF(8, 50, 11, 32), 5);
    shape(shirt, QRectF(55, 50, 11, 32), 5);
    const QColor skin(232, 188, 150);
    shape(skin, QRectF(8, 42, 11, 11), 5);
    shape(skin, QRectF(55, 42, 11, 11), 5);

    // Shoulders and head: hair on top, the nose pointing forward.
    p.setPen(QPen(shirt.darker(160), 1));
    p.setBrush(shirt);
    p.drawEllipse(QRectF(12, 64, 50, 24));
    shape(skin, QRectF(34, 58, 6, 7), 3);
    const QColor hair(92, 60, 34);
    p.setPen(QPen(hair.darker(150), 1));
    p.setBrush(hair);
    p.drawEllipse(QRectF(27, 61, 20, 22));
    p.end();
    return image.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
