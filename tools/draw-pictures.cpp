// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's pictures: tool-bar glyphs, the four pictures of each
// image button, the preview area's idle picture, the background and the
// program icon. Run by tools/make-pictures.sh; the results are committed.
#include "widgets/JpegPicture.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <functional>

namespace {

const QColor kSeeThrough(255, 0, 255);
const QColor kPanel(0x20, 0x24, 0x2b);   // what lies below the image buttons
const QColor kAccent(0xe0, 0x6a, 0x1b);
QString gOut;

QImage Canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void Save(const QImage &img, const QString &name)
{
    const QString path = gOut + "/pictures/" + name + ".png";
    if (!img.save(path, "PNG"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// Image buttons keep no alpha: covered pixels are made solid over the panel
// colour, the rest takes the see-through colour (the bottom-left pixel).
QImage Flatten(const QImage &drawn)
{
    QImage out(drawn.size(), QImage::Format_RGB32);
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor c = drawn.pixelColor(x, y);
            if (c.alpha() < 110) {
                out.setPixelColor(x, y, kSeeThrough);
                continue;
            }
            const double a = c.alphaF();
            out.setPixelColor(x, y, QColor(int(c.red() * a + kPanel.red() * (1 - a)),
                                           int(c.green() * a + kPanel.green() * (1 - a)),
                                           int(c.blue() * a + kPanel.blue() * (1 - a))));
        }
    out.setPixelColor(0, drawn.height() - 1, kSeeThrough);
    return out;
}

enum class Look { Up, Over, Down, Disabled };

QColor Tone(QColor base, Look look)
{
    switch (look) {
    case Look::Up: return base;
    case Look::Over: return base.lighter(125);
    case Look::Down: return base.darker(130);
    case Look::Disabled: return QColor(0x5a, 0x5e, 0x66);
    }
    return base;
}

void Pill(QPainter &p, QRectF r, QColor base, Look look)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    const QColor c = Tone(base, look);
    g.setColorAt(0, c.lighter(look == Look::Down ? 100 : 140));
    g.setColorAt(1, c.darker(120));
    p.setPen(QPen(c.darker(170), 1.2));
    p.setBrush(g);
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
}

void WideButton(const QString &name, QColor base, const QString &caption,
                const std::function<void(QPainter &, QRectF)> &sign, bool withDisabled)
{
    const Look looks[] = {Look::Up, Look::Over, Look::Down, Look::Disabled};
    const char *suffix[] = {"up", "over", "down", "disabled"};
    for (int i = 0; i < (withDisabled ? 4 : 3); ++i) {
        QImage img = Canvas(107, 39);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const double shift = looks[i] == Look::Down ? 1 : 0;
        Pill(p, QRectF(2.5, 2.5 + shift, 102, 33), base, looks[i]);
        p.setPen(Qt::NoPen);
        p.setBrush(looks[i] == Look::Disabled ? QColor(0x9a, 0x9e, 0xa6) : QColor(Qt::white));
        sign(p, QRectF(14, 11 + shift, 16, 16));
        QFont f("DejaVu Sans");
        f.setPixelSize(15);
        f.setBold(true);
        p.setFont(f);
        p.setPen(looks[i] == Look::Disabled ? QColor(0x9a, 0x9e, 0xa6) : QColor(Qt::white));
        p.drawText(QRectF(34, 2 + shift, 66, 33), Qt::AlignCenter, caption);
        p.end();
        Save(Flatten(img), name + "-" + suffix[i]);
    }
}

void RoundButton(const QString &name, QColor base, const std::function<void(QPainter &, QRectF, QColor)> &sign)
{
    const Look looks[] = {Look::Up, Look::Over, Look::Down, Look::Disabled};
    const char *suffix[] = {"up", "over", "down", "disabled"};
    for (int i = 0; i < 4; ++i) {
        QImage img = Canvas(37, 37);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor c = Tone(base, looks[i]);
        QRadialGradient g(QPointF(15, 12), 22);
        g.setColorAt(0, c.lighter(150));
        g.setColorAt(1, c.darker(130));
        p.setPen(QPen(c.darker(180), 1.2));
        p.setBrush(g);
        const double shift = looks[i] == Look::Down ? 1 : 0;
        p.drawEllipse(QRectF(2.5, 2.5 + shift, 32, 32));
        sign(p, QRectF(10.5, 10.5 + shift, 16, 16),
             looks[i] == Look::Disabled ? QColor(0x9a, 0x9e, 0xa6) : QColor(Qt::white));
        p.end();
        Save(Flatten(img), name + "-" + suffix[i]);
    }
}

void Glyph(const QString &name, const std::function<void(QPainter &)> &draw, int w = 16, int h = 16)
{
    QImage img = Canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    Save(img, name);
}

void Disc(QPainter &p, QRectF r)
{
    QRadialGradient g(r.center(), r.width() / 2);
    g.setColorAt(0.15, QColor(0xf0, 0xf0, 0xf4));
    g.setColorAt(0.6, QColor(0xa8, 0xc8, 0xe8));
    g.setColorAt(1, QColor(0xd8, 0xb8, 0xe8));
    p.setPen(QPen(QColor(0x60, 0x68, 0x78), 0.8));
    p.setBrush(g);
    p.drawEllipse(r);
    p.setBrush(kPanel);
    const double hole = r.width() / 6;
    p.drawEllipse(r.center(), hole, hole);
}

void ToolGlyphs()
{
    Glyph("tool-open", [](QPainter &p) { Disc(p, QRectF(1, 1, 14, 14)); });
    Glyph("tool-property", [](QPainter &p) {
        p.setPen(QPen(QColor(0x50, 0x58, 0x66), 1));
        p.setBrush(QColor(0xf4, 0xf4, 0xf0));
        p.drawRect(QRectF(3.5, 1.5, 10, 13));
        p.setPen(QPen(kAccent, 1.2));
        for (int y = 5; y <= 11; y += 3)
            p.drawLine(QPointF(5.5, y), QPointF(11.5, y));
    });
    Glyph("tool-selectall", [](QPainter &p) {
        p.setPen(QPen(QColor(0xd0, 0xd4, 0xdc), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1.5, 3.5, 11, 11));
        p.setPen(QPen(QColor(0x5c, 0xd0, 0x5c), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(4, 8), QPointF(7, 11.5), QPointF(14, 2.5)}));
    });
    Glyph("tool-setting", [](QPainter &p) {
        p.translate(8, 8);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xc8, 0xcc, 0xd4));
        for (int i = 0; i < 8; ++i) {
            p.drawRect(QRectF(-1.5, -7.5, 3, 4));
            p.rotate(45);
        }
        p.drawEllipse(QPointF(0, 0), 5, 5);
        p.setBrush(kPanel);
        p.drawEllipse(QPointF(0, 0), 2, 2);
    });
    Glyph("tool-help", [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x3a, 0x8e, 0xe0));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        QFont f("DejaVu Sans");
        f.setPixelSize(12);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, "?");
    });
    Glyph("browse", [](QPainter &p) {
        p.setPen(QPen(QColor(0x8a, 0x6a, 0x20), 1));
        p.setBrush(QColor(0xf0, 0xc0, 0x50));
        p.drawRect(QRectF(1.5, 4.5, 11, 7));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
    }, 14, 14);
    Glyph("toolbar-end", [](QPainter &p) {
        QLinearGradient g(0, 0, 32, 0);
        g.setColorAt(0, QColor(0, 0, 0, 0));
        g.setColorAt(1, kAccent.darker(140));
        p.fillRect(QRectF(0, 0, 32, 25), g);
        Disc(p, QRectF(12, 3.5, 18, 18));
    }, 32, 25);
}

void Background()
{
    QImage img(422, 332, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 332);
    g.setColorAt(0, QColor(0x2b, 0x30, 0x39));
    g.setColorAt(1, QColor(0x17, 0x1a, 0x1f));
    p.fillRect(img.rect(), g);
    // Soft arcs behind the preview frame.
    for (int i = 0; i < 6; ++i) {
        p.setPen(QPen(QColor(0xe0, 0x6a, 0x1b, 26 - 3 * i), 10));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(440, 360), 170 + 38 * i, 150 + 34 * i);
    }
    // Frame around the preview panel (354, 77, 321, 241 in window terms).
    p.setPen(QPen(QColor(0x0c, 0x0e, 0x11), 3));
    p.drawRoundedRect(QRectF(354 - 275 - 4, 77 - 47 - 4, 321 + 8, 241 + 8), 5, 5);
    p.setPen(QPen(QColor(0x4a, 0x50, 0x5c), 1));
    p.drawRoundedRect(QRectF(354 - 275 - 6.5, 77 - 47 - 6.5, 321 + 13, 241 + 13), 6, 6);
    p.end();
    Save(img, "background");
}

void IdlePicture()
{
    QImage img(320, 240, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 320, 240);
    g.setColorAt(0, QColor(0x3a, 0x1f, 0x52));
    g.setColorAt(1, QColor(0xe0, 0x6a, 0x1b));
    p.fillRect(img.rect(), g);
    // A disc pouring into a small player.
    Disc(p, QRectF(34, 58, 118, 118));
    p.setPen(QPen(QColor(255, 255, 255, 200), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(166, 117), QPointF(196, 117));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawPolygon(QPolygonF({QPointF(196, 105), QPointF(212, 117), QPointF(196, 129)}));
    QLinearGradient body(226, 44, 290, 190);
    body.setColorAt(0, QColor(0x30, 0x30, 0x36));
    body.setColorAt(1, QColor(0x10, 0x10, 0x14));
    p.setPen(QPen(QColor(0xd0, 0xd0, 0xd8), 1.5));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(224, 44, 68, 146), 12, 12);
    QLinearGradient screen(232, 54, 284, 118);
    screen.setColorAt(0, QColor(0x5a, 0x9c, 0xe8));
    screen.setColorAt(1, QColor(0x2a, 0x3c, 0x8a));
    p.setPen(Qt::NoPen);
    p.setBrush(screen);
    p.drawRoundedRect(QRectF(232, 54, 52, 70), 3, 3);
    p.setPen(QPen(QColor(0xd0, 0xd0, 0xd8), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(258, 158), 17, 17);
    QFont f("DejaVu Sans");
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255, 230));
    p.drawText(QRectF(0, 196, 320, 32), Qt::AlignCenter, "DVD  to  video");
    p.end();
    QDir().mkpath(gOut + "/Skin");
    QFile jpg(gOut + "/Skin/zune.jpg");
    if (jpg.open(QIODevice::WriteOnly))
        jpg.write(pellavan::EncodeJpeg(img, 90));
}

// The program icon, drawn on a 64-unit grid so that it comes out sharp at
// the window's size and at each size of the desktop's icon theme.
QImage IconAt(int size)
{
    QImage img = Canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    Disc(p, QRectF(2, 2, 50, 50));
    p.setPen(QPen(QColor(0x5a, 0x2a, 0x06), 1.5));
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(34, 30, 28, 32), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(43, 38), QPointF(55, 46), QPointF(43, 54)}));
    p.end();
    return img;
}

void Icon()
{
    Save(IconAt(64), "icon");
    for (int size : {48, 64, 128, 256}) {
        const QString folder = gOut + QString("/icons/%1x%1").arg(size);
        QDir().mkpath(folder);
        if (!IconAt(size).save(folder + "/pellavan.png", "PNG"))
            std::fprintf(stderr, "cannot write %s/pellavan.png\n", qPrintable(folder));
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RESOURCES-FOLDER\n", argv[0]);
        return 2;
    }
    gOut = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(gOut + "/pictures");
    ToolGlyphs();
    Background();
    IdlePicture();
    Icon();
    WideButton("convert", QColor(0x2f, 0x9a, 0x3c), "Convert", [](QPainter &p, QRectF r) {
        p.drawPolygon(QPolygonF({r.topLeft(), QPointF(r.right(), r.center().y()), r.bottomLeft()}));
    }, true);
    WideButton("abort", QColor(0xc0, 0x32, 0x2a), "Stop", [](QPainter &p, QRectF r) {
        p.drawRect(r.adjusted(1, 1, -1, -1));
    }, false);
    RoundButton("pause", QColor(0x3a, 0x6e, 0xc0), [](QPainter &p, QRectF r, QColor c) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRect(QRectF(r.left() + 3, r.top() + 2, 4, 12));
        p.drawRect(QRectF(r.left() + 9, r.top() + 2, 4, 12));
    });
    RoundButton("capture", QColor(0x6a, 0x6e, 0x78), [](QPainter &p, QRectF r, QColor c) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(r.left(), r.top() + 4, 16, 11), 2, 2);
        p.drawRect(QRectF(r.left() + 5, r.top() + 2, 6, 3));
        p.setBrush(QColor(0x30, 0x34, 0x3c));
        p.drawEllipse(QPointF(r.center().x(), r.top() + 9.5), 3.5, 3.5);
    });
    return 0;
}
