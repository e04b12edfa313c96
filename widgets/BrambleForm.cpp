// SPDX-License-Identifier: GPL-3.0-or-later
#include "BrambleForm.h"

#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

using pellavan::BrambleBmp;
using pellavan::BrambleGlyph;
using pellavan::MouseButton;

TBrambleButton::TBrambleButton(QWidget *parent) : QWidget(parent)
{
    resize(100, 100);
    setMouseTracking(true);
    m_state.Enabled = isEnabled();
}

BrambleBmp TBrambleButton::ToBmp(const QImage &image)
{
    BrambleBmp bmp;
    if (image.isNull())
        return bmp;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    bmp.width = rgb.width();
    bmp.height = rgb.height();
    bmp.pixels.resize(size_t(bmp.width) * size_t(bmp.height));
    for (int y = 0; y < bmp.height; ++y) {
        const auto *line = reinterpret_cast<const uint32_t *>(rgb.constScanLine(y));
        std::copy(line, line + bmp.width, bmp.pixels.begin() + ptrdiff_t(y) * bmp.width);
    }
    return bmp;
}

void TBrambleButton::setGlyph(BrambleBmp &slot, QImage &masked, const QImage &image)
{
    slot = ToBmp(image);
    masked = QImage();
    if (!slot.Empty()) {
        masked = QImage(slot.width, slot.height, QImage::Format_ARGB32);
        const uint32_t clear = slot.TransparentColor();
        for (int y = 0; y < slot.height; ++y) {
            auto *out = reinterpret_cast<uint32_t *>(masked.scanLine(y));
            for (int x = 0; x < slot.width; ++x) {
                const uint32_t p = slot.Pixel(x, y);
                out[x] = p == clear ? 0u : (p | 0xFF000000u);
            }
        }
    }
    Redraw();
}

void TBrambleButton::setUpGlyph(const QImage &image)
{
    setGlyph(m_state.UpGlyph, m_up, image);
    if (!m_state.UpGlyph.Empty())
        resize(m_state.UpGlyph.width, m_state.UpGlyph.height);
}
void TBrambleButton::setActiveGlyph(const QImage &image) { setGlyph(m_state.ActiveGlyph, m_active, image); }
void TBrambleButton::setDownGlyph(const QImage &image) { setGlyph(m_state.DownGlyph, m_down, image); }
void TBrambleButton::setUnEnGlyph(const QImage &image) { setGlyph(m_state.UnEnGlyph, m_unen, image); }

void TBrambleButton::Redraw() { repaint(); }

void TBrambleButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!Transparent)
        p.fillRect(rect(), Color);
    m_state.Enabled = isEnabled();
    const BrambleBmp *shown = m_state.PaintContent();
    if (!shown)
        return;
    const QImage *image = shown == &m_state.UpGlyph       ? &m_up
                          : shown == &m_state.ActiveGlyph ? &m_active
                          : shown == &m_state.DownGlyph   ? &m_down
                                                          : &m_unen;
    p.drawImage(0, 0, *image);
}

static MouseButton ToButton(Qt::MouseButton b)
{
    return b == Qt::LeftButton ? MouseButton::Left : b == Qt::RightButton ? MouseButton::Right : MouseButton::Middle;
}

void TBrambleButton::react(const pellavan::BrambleReaction &r)
{
    if (r.redraw)
        Redraw();
    if (r.startLeaveTimer) {
        if (!m_leaveTimer) {
            m_leaveTimer = new QTimer(this);
            m_leaveTimer->setSingleShot(true);
            m_leaveTimer->setInterval(500);
            connect(m_leaveTimer, &QTimer::timeout, this, &TBrambleButton::LeaveCheck);
        }
        m_leaveTimer->start();
    }
}

void TBrambleButton::LeaveCheck()
{
    if (m_leaveTimer)
        m_leaveTimer->stop();
    const QPoint pos = QCursor::pos();
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    const bool outside = pos.x() < origin.x() || pos.x() > origin.x() + width() || pos.y() < origin.y() ||
                         pos.y() > origin.y() + height();
    react(m_state.LeaveTimerTick(outside));
}

void TBrambleButton::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const auto r = m_state.MouseMove(pos.x(), pos.y());
    react(r);
    if (r.forwardEvent)
        emit mouseMoved(pos.x(), pos.y());
}

void TBrambleButton::mousePressEvent(QMouseEvent *event)
{
    // The pointer may not have moved since it came over the button. Only a
    // left press may find that out: any other button changes nothing at all.
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && !m_state.MouseInside)
        react(m_state.MouseMove(pos.x(), pos.y()));
    const auto r = m_state.MouseDown(ToButton(event->button()));
    react(r);
    if (r.forwardEvent)
        emit mouseDown();
}

void TBrambleButton::mouseReleaseEvent(QMouseEvent *event)
{
    const auto r = m_state.MouseUp(ToButton(event->button()));
    react(r);
    if (r.click)
        emit OnClick(this);
    if (r.forwardEvent)
        emit mouseUp();
}

void TBrambleButton::leaveEvent(QEvent *event)
{
    react(m_state.MouseLeave());
    QWidget::leaveEvent(event);
}

void TBrambleButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        m_state.Enabled = isEnabled();
        update();
    }
    QWidget::changeEvent(event);
}
