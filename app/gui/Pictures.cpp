#include "app/gui/Pictures.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>

namespace tadmor::gui {

namespace {

const QColor kGround{191, 227, 247};
const QColor kOutline{64, 72, 80};
const QColor kSteel{154, 164, 174};
const QColor kBarrelInside{216, 221, 226};
const QColor kScrew{112, 120, 128};
const QColor kFlight{90, 98, 106};
const QColor kHeater{224, 90, 30};
const QColor kHeaterEdge{128, 32, 0};
const QColor kDrive{60, 90, 130};
const QColor kGreen{0, 160, 0};
const QColor kDarkGreen{0, 96, 0};
const QColor kYellow{255, 216, 0};
const QColor kDarkYellow{160, 128, 0};
const QColor kRed{208, 0, 0};

void FillPolygon(QPainter& painter, const QPolygonF& polygon, const QColor& fill, const QColor& outline) {
    painter.setPen(QPen(outline, 1));
    painter.setBrush(fill);
    painter.drawPolygon(polygon);
}

void FillBox(QPainter& painter, const QRectF& box, const QColor& fill, const QColor& outline) {
    painter.setPen(QPen(outline, 1));
    painter.setBrush(fill);
    painter.drawRect(box);
}

// A straight arrow from `tail` to `tip`: a shaft of width `shaftWidth`, then a
// head `headWidth` wide and `headLength` long.
void Arrow(QPainter& painter, const QPointF& tail, const QPointF& tip, qreal shaftWidth, qreal headWidth,
           qreal headLength, const QColor& fill, const QColor& outline) {
    QPointF along = tip - tail;
    along /= std::hypot(along.x(), along.y());
    const QPointF across(-along.y(), along.x());
    const QPointF neck = tip - along * headLength;
    FillPolygon(painter,
                QPolygonF({tail + across * (shaftWidth / 2), neck + across * (shaftWidth / 2),
                           neck + across * (headWidth / 2), tip, neck - across * (headWidth / 2),
                           neck - across * (shaftWidth / 2), tail - across * (shaftWidth / 2)}),
                fill, outline);
}

// The mark of the screw's rotation: an elliptic arc round the shaft with an
// arrow head at its end.
void RotationMark(QPainter& painter, const QPointF& centre, qreal radiusX, qreal radiusY) {
    constexpr qreal startDegrees = 60;
    constexpr qreal sweepDegrees = 280;
    QPainterPath arc;
    const QRectF box(centre.x() - radiusX, centre.y() - radiusY, 2 * radiusX, 2 * radiusY);
    arc.arcMoveTo(box, startDegrees);
    arc.arcTo(box, startDegrees, sweepDegrees);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(arc);

    // Head along the tangent of the arc's end, turning counter-clockwise.
    const qreal t = (startDegrees + sweepDegrees) * std::numbers::pi / 180;
    const QPointF tip = arc.currentPosition();
    QPointF direction(-radiusX * std::sin(t), -radiusY * std::cos(t));
    direction /= std::hypot(direction.x(), direction.y());
    const QPointF normal(-direction.y(), direction.x());
    const QPointF point = tip + direction * 5;
    FillPolygon(painter, QPolygonF({point, tip + normal * 3.5, tip - normal * 3.5}), kRed, kRed);
}

}  // namespace

QImage ExtruderPicture() {
    QImage image(kExtruderPictureWidth, kExtruderPictureHeight, QImage::Format_RGB888);
    image.fill(kGround);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // Stand: base plate and two legs.
    FillBox(painter, QRectF(6.5, 98.5, 226, 6), QColor(80, 90, 100), kOutline);
    FillBox(painter, QRectF(46.5, 78.5, 10, 20), QColor(110, 120, 130), kOutline);
    FillBox(painter, QRectF(170.5, 78.5, 10, 20), QColor(110, 120, 130), kOutline);

    // Drive end: gearbox, shaft and the rotation mark round the shaft.
    FillBox(painter, QRectF(4.5, 38.5, 16, 60), kDrive, kOutline);
    FillBox(painter, QRectF(20.5, 57.5, 14, 6), kScrew, kOutline);
    RotationMark(painter, QPointF(27.5, 60.5), 5, 14);

    // Barrel in section: walls above and below the channel.
    FillBox(painter, QRectF(34.5, 42.5, 166, 36), kSteel, kOutline);
    FillBox(painter, QRectF(34.5, 47.5, 166, 26), kBarrelInside, kOutline);

    // Screw: root and flights.
    FillBox(painter, QRectF(30.5, 56.5, 169, 8), kScrew, kOutline);
    for (int x = 40; x < 194; x += 12) {
        FillPolygon(painter, QPolygonF({{x + 0.5, 48.0}, {x + 3.5, 48.0}, {x + 9.5, 73.0}, {x + 6.5, 73.0}}), kFlight,
                    kOutline);
    }

    // Heater bands round the barrel.
    for (const int x : {96, 122, 148, 174}) {
        FillBox(painter, QRectF(x + 0.5, 39.5, 12, 42), kHeater, kHeaterEdge);
        painter.setPen(QPen(kHeaterEdge, 1));
        painter.drawLine(QPointF(x + 6.5, 40), QPointF(x + 6.5, 81));
    }

    // Feed hopper opening into the barrel, with pellets and the feed arrow.
    FillPolygon(painter, QPolygonF({{52.5, 20.5}, {96.5, 20.5}, {80.5, 42.5}, {68.5, 42.5}}), QColor(184, 192, 200),
                kOutline);
    painter.fillRect(QRectF(69, 42, 11, 6), kBarrelInside);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 246, 230));
    for (const auto& [x, y] : {std::pair{62, 25},
                               {70, 24},
                               {78, 25},
                               {86, 24},
                               {66, 30},
                               {74, 30},
                               {82, 30},
                               {70, 35},
                               {78, 35},
                               {74, 39}}) {
        painter.drawEllipse(QPointF(x, y), 1.8, 1.8);
    }
    Arrow(painter, QPointF(74.5, 1.5), QPointF(74.5, 19.5), 6, 18, 9, kGreen, kDarkGreen);

    // Die, and the extrudate leaving it.
    FillPolygon(painter, QPolygonF({{200.5, 42.5}, {214.5, 50.5}, {214.5, 70.5}, {200.5, 78.5}}), QColor(106, 116, 128),
                kOutline);
    FillBox(painter, QRectF(214.5, 55.5, 5, 10), QColor(90, 98, 106), kOutline);
    Arrow(painter, QPointF(219.5, 60.5), QPointF(236.5, 60.5), 6, 16, 10, kYellow, kDarkYellow);
    return image;
}

QImage CheckMarkGlyph() {
    QImage image(kGlyphSize, kGlyphSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 128, 0), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawPolyline(QPolygonF({{3.5, 9.5}, {7.5, 13.5}, {14.5, 4.5}}));
    return image;
}

QImage DoorGlyph() {
    QImage image(kGlyphSize, kGlyphSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // Door frame with the dark opening, then the leaf swung open on its
    // left hinge, and its knob.
    painter.fillRect(4, 1, 11, 16, QColor(64, 64, 64));
    painter.fillRect(5, 2, 9, 14, QColor(24, 24, 24));
    painter.setRenderHint(QPainter::Antialiasing);
    FillPolygon(painter, QPolygonF({{5, 2}, {10.5, 4}, {10.5, 17.5}, {5, 16}}), QColor(192, 128, 64),
                QColor(96, 48, 16));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 224, 96));
    painter.drawEllipse(QPointF(9, 10), 1, 1);
    return image;
}

QImage ProgramIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    painter.setPen(Qt::NoPen);
    painter.setBrush(kGround);
    painter.drawRoundedRect(QRectF(1, 1, 62, 62), 10, 10);

    // Hopper with the feed arrow, barrel with heater bands, screw flights.
    FillPolygon(painter, QPolygonF({{10, 14}, {30, 14}, {23, 26}, {17, 26}}), QColor(184, 192, 200), kOutline);
    Arrow(painter, QPointF(20, 2), QPointF(20, 13), 5, 12, 6, kGreen, kDarkGreen);
    FillBox(painter, QRectF(4, 26, 52, 20), kSteel, kOutline);
    FillBox(painter, QRectF(4, 29, 52, 14), kBarrelInside, kOutline);
    for (const int x : {30, 42}) {
        FillBox(painter, QRectF(x, 24, 7, 24), kHeater, kHeaterEdge);
    }
    FillBox(painter, QRectF(2, 34, 54, 4), kScrew, kOutline);
    for (int x = 8; x < 54; x += 8) {
        FillPolygon(painter, QPolygonF({{x + 0.0, 29}, {x + 2.0, 29}, {x + 6.0, 43}, {x + 4.0, 43}}), kFlight,
                    kOutline);
    }
    Arrow(painter, QPointF(56, 36), QPointF(63, 36), 4, 8, 5, kYellow, kDarkYellow);
    return image;
}

}  // namespace tadmor::gui
