// SPDX-License-Identifier: GPL-3.0-or-later
#include "TreePictures.h"

#include "TitleTree.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace pellavan {

namespace {

void Page(QPainter &p)
{
    QPolygonF outline({QPointF(6.5, 1.5), QPointF(14.5, 1.5), QPointF(17.5, 4.5), QPointF(17.5, 14.5),
                       QPointF(6.5, 14.5)});
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawPolygon(outline);
    p.drawPolyline(QPolygonF({QPointF(14.5, 1.5), QPointF(14.5, 4.5), QPointF(17.5, 4.5)}));
    p.setPen(QColor(150, 170, 200));
    for (int y = 6; y <= 12; y += 2)
        p.drawLine(QPointF(8.5, y + 0.5), QPointF(15.5, y + 0.5));
}

void Reel(QPainter &p, QPointF centre, double r)
{
    p.setPen(QColor(20, 90, 20));
    p.setBrush(QColor(60, 170, 60));
    p.drawEllipse(centre, r, r);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    double hole = r / 4;
    for (auto off : {QPointF(0, -r / 2), QPointF(0, r / 2), QPointF(-r / 2, 0), QPointF(r / 2, 0)})
        p.drawEllipse(centre + off, hole, hole);
    p.setBrush(QColor(20, 90, 20));
    p.drawEllipse(centre, hole / 1.5, hole / 1.5);
}

void Note(QPainter &p, QPointF at)
{
    p.setPen(QPen(QColor(30, 30, 140), 1.4));
    p.setBrush(QColor(30, 30, 140));
    p.drawEllipse(at + QPointF(0, 6), 2.0, 1.5);
    p.drawLine(at + QPointF(1.8, 6), at + QPointF(1.8, 0));
    p.drawLine(at + QPointF(1.8, 0), at + QPointF(4.5, 1.5));
}

void LetterT(QPainter &p, QPointF at, QColor colour = QColor(150, 40, 40))
{
    p.setPen(QPen(colour, 2.0));
    p.drawLine(at, at + QPointF(6, 0));
    p.drawLine(at + QPointF(3, 0), at + QPointF(3, 8));
}

void Magnifier(QPainter &p, QPointF centre)
{
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(QColor(200, 230, 255, 160));
    p.drawEllipse(centre, 3.5, 3.5);
    p.setPen(QPen(QColor(120, 80, 30), 2.0));
    p.drawLine(centre + QPointF(2.6, 2.6), centre + QPointF(5.5, 5.5));
}

void Disc(QPainter &p)
{
    QRadialGradient g(QPointF(11.5, 8), 7.5);
    g.setColorAt(0, QColor(255, 240, 170));
    g.setColorAt(1, QColor(205, 160, 30));
    p.setPen(QColor(150, 110, 10));
    p.setBrush(g);
    p.drawEllipse(QPointF(11.5, 8), 7.2, 7.2);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(11.5, 8), 1.8, 1.8);
}

void Stop(QPainter &p)
{
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        double a = (22.5 + 45.0 * i) * 3.14159265358979 / 180.0;
        octagon << QPointF(11.5 + 7.0 * std::cos(a), 8 + 7.0 * std::sin(a));
    }
    p.setPen(QColor(120, 0, 0));
    p.setBrush(QColor(210, 20, 20));
    p.drawPolygon(octagon);
    p.setPen(QPen(Qt::white, 2.0));
    p.drawLine(QPointF(7.5, 8), QPointF(15.5, 8));
}

QPixmap MakeNodePicture(int image)
{
    QPixmap pm(NodePictureWidth, NodePictureHeight);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case ImageDisc: Disc(p); break;
    case ImageChapter: Page(p); break;
    case ImageChapterNote: Page(p); Note(p, {9, 5}); break;
    case ImageChapterText: Page(p); LetterT(p, {9, 5}); break;
    case ImageTitle: Reel(p, {11.5, 8}, 7); break;
    case ImageAudioGroup: Reel(p, {8.5, 8}, 6.5); Note(p, {15, 5}); break;
    case ImageSubtitleGroup: Reel(p, {8.5, 8}, 6.5); LetterT(p, {14.5, 4}); break;
    case ImageAudio: Note(p, {5, 3}); Magnifier(p, {14.5, 7.5}); break;
    case ImageSubtitle: LetterT(p, {3, 3}); Magnifier(p, {14.5, 7.5}); break;
    case ImageStop: Stop(p); break;
    default: break;
    }
    return pm;
}

QPixmap MakeStatePicture(int state)
{
    QPixmap pm(StatePictureSize, StatePictureSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    int look = (state - 1) % 3;   // normal, hot, pressed
    QRectF box(2.5, 2.5, 12, 12);
    p.setPen(QPen(look == 1 ? QColor(240, 140, 20) : QColor(60, 60, 60), look == 1 ? 1.6 : 1.0));
    p.setBrush(look == 2 ? QColor(200, 200, 200) : QColor(Qt::white));
    p.drawRect(box);
    if (IsChecked(state)) {
        p.setPen(QPen(QColor(20, 150, 20), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(5, 8.5), QPointF(7.5, 11.5), QPointF(12.5, 5)}));
    }
    return pm;
}

} // namespace

QPixmap StatePicture(int state)
{
    if (state < StateUnchecked || state > StateCheckedPressed)
        return {};
    return MakeStatePicture(state);
}

QPixmap NodePicture(int image)
{
    if (image < 0 || image >= ImageCount)
        return {};
    return MakeNodePicture(image);
}

} // namespace pellavan
