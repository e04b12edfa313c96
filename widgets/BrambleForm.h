// SPDX-License-Identifier: GPL-3.0-or-later
// TBrambleButton: the four-state image button. A thin widget over
// BrambleButtonState: it paints the chosen picture without its see-through
// pixels and forwards mouse events.
#pragma once

#include "widgets/BrambleBmp.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

class TBrambleButton : public QWidget {
    Q_OBJECT
public:
    explicit TBrambleButton(QWidget *parent = nullptr);

    // Setting UpGlyph also sizes the button to the picture.
    void setUpGlyph(const QImage &image);
    void setActiveGlyph(const QImage &image);
    void setDownGlyph(const QImage &image);
    void setUnEnGlyph(const QImage &image);

    // true: parts not covered by the picture show what lies below;
    // false: they show Color.
    bool Transparent = true;
    QColor Color = Qt::transparent;

    const pellavan::BrambleButtonState &State() const { return m_state; }
    // Repaints at once (used after each change of the shown picture).
    void Redraw();
    // The leave check, exposed so tests need not wait for it.
    void LeaveCheck();

    static pellavan::BrambleBmp ToBmp(const QImage &image);

signals:
    void OnClick(QObject *sender);
    void mouseDown();
    void mouseUp();
    void mouseMoved(int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setGlyph(pellavan::BrambleBmp &slot, QImage &masked, const QImage &image);
    void react(const pellavan::BrambleReaction &r);

    pellavan::BrambleButtonState m_state;
    // Pictures ready to draw: see-through colour made clear.
    QImage m_up, m_active, m_down, m_unen;
    QTimer *m_leaveTimer = nullptr;
};
