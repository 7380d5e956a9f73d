#include "auxiliary/emblem.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace
{

// Drawn on a 256 x 256 grid; small sizes leave out the fine parts.
void Draw(QPainter &p, int pixels)
{
    const bool detailed = pixels >= 32;
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 256);
    sky.setColorAt(0, QColor(0x26, 0x5d, 0x91));
    sky.setColorAt(1, QColor(0x0c, 0x27, 0x42));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);

    // Pipe with flanges
    QLinearGradient steel(0, 100, 0, 156);
    steel.setColorAt(0, QColor(0xf2, 0xf5, 0xf8));
    steel.setColorAt(0.5, QColor(0xb8, 0xc4, 0xd0));
    steel.setColorAt(1, QColor(0x7d, 0x8c, 0x9b));
    p.setBrush(steel);
    p.drawRect(QRectF(20, 104, 216, 48));
    if (detailed) {
        p.drawRoundedRect(QRectF(20, 90, 18, 76), 4, 4);
        p.drawRoundedRect(QRectF(218, 90, 18, 76), 4, 4);
    }

    // Transducers and the ultrasonic path between them
    const QColor amber(0xff, 0xb3, 0x00);
    p.setBrush(amber);
    p.drawRoundedRect(QRectF(64, 80, 34, 26), 5, 5);
    p.drawRoundedRect(QRectF(158, 150, 34, 26), 5, 5);
    QPen beam(QColor(0x3d, 0xdc, 0x84), detailed ? 9 : 22, Qt::SolidLine, Qt::RoundCap);
    p.setPen(beam);
    p.drawLine(QPointF(81, 104), QPointF(175, 152));

    if (!detailed)
        return;
    // The pulse burst the flowmeter sends
    QPainterPath burst;
    for (int i = 0; i <= 120; ++i) {
        const double x = 68 + i;
        const double t = (i - 60) / 60.0;
        const double y = 50 - 22 * std::exp(-4 * t * t) * std::sin(i * 0.42);
        if (i == 0)
            burst.moveTo(x, y);
        else
            burst.lineTo(x, y);
    }
    p.setPen(QPen(amber, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(burst);

    // A gauge: the measured flow against the imitated one
    p.setPen(QPen(QColor(0xf2, 0xf5, 0xf8), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(92, 186, 72, 72), 30 * 16, 120 * 16);
    p.setPen(QPen(QColor(0x3d, 0xdc, 0x84), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(128, 222), QPointF(146, 196));
}

} // namespace

QImage RenderEmblem(int size, qreal devicePixelRatio)
{
    const int pixels = qRound(size * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(pixels / 256.0, pixels / 256.0);
    Draw(p, pixels);
    p.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}
