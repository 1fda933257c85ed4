#include "ui/recorder_images.h"

#include "recorder/recorder_state.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace varendo {

namespace {

using namespace recorder;

const QColor kRed(214, 32, 32);
const QColor kGreen(32, 150, 48);
const QColor kBlue(40, 96, 200);
const QColor kDark(60, 60, 60);
const QColor kGrey(168, 168, 168);

void dot(QPainter& p, const QColor& colour, qreal radius)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QPointF(10, 10), radius, radius);
}

void triangle(QPainter& p, const QColor& colour)
{
    QPainterPath path;
    path.moveTo(6, 4);
    path.lineTo(16, 10);
    path.lineTo(6, 16);
    path.closeSubpath();
    p.fillPath(path, colour);
}

void square(QPainter& p, const QColor& colour)
{
    p.fillRect(QRectF(5, 5, 10, 10), colour);
}

void speaker(QPainter& p, const QColor& colour)
{
    QPainterPath body;
    body.moveTo(2, 8);
    body.lineTo(5, 8);
    body.lineTo(9, 4);
    body.lineTo(9, 16);
    body.lineTo(5, 12);
    body.lineTo(2, 12);
    body.closeSubpath();
    p.fillPath(body, colour);
    p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7, 6, 6, 8), -50 * 16, 100 * 16);
    p.drawArc(QRectF(6, 3, 11, 14), -50 * 16, 100 * 16);
}

QPixmap draw(int image)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case image::kRecord:
        dot(p, kRed, 6);
        break;
    case image::kRecording:
        // A ring around the dot: sound is being taken in.
        p.setPen(QPen(kRed, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(10, 10), 8.5, 8.5);
        dot(p, kRed, 4.5);
        break;
    case image::kPlaying:
        speaker(p, kBlue);
        break;
    case image::kPlay:
        triangle(p, kGreen);
        break;
    case image::kPlayBusy:
        triangle(p, kGrey);
        break;
    case image::kStop:
        square(p, kDark);
        break;
    case image::kStopIdle:
        square(p, kGrey);
        break;
    default:
        break;
    }
    return pm;
}

} // namespace

QIcon recorderImage(int image)
{
    return QIcon(draw(image));
}

} // namespace varendo
