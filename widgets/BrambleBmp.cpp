// SPDX-License-Identifier: GPL-3.0-or-later
#include "BrambleBmp.h"

namespace pellavan {

const BrambleBmp *BrambleButtonState::glyph(BrambleGlyph g) const
{
    switch (g) {
    case BrambleGlyph::Up: return &UpGlyph;
    case BrambleGlyph::Active: return &ActiveGlyph;
    case BrambleGlyph::Down: return &DownGlyph;
    case BrambleGlyph::Disabled: break;
    }
    return nullptr;
}

const BrambleBmp *BrambleButtonState::show(const BrambleBmp &bmp, BrambleGlyph g)
{
    ShownGlyph = g;
    ShownTransparentColor = bmp.TransparentColor();
    ShownWidth = bmp.width;
    ShownHeight = bmp.height;
    return &bmp;
}

const BrambleBmp *BrambleButtonState::PaintContent()
{
    if (Enabled) {
        if (MouseInside && Pressed && !DownGlyph.Empty())
            return show(DownGlyph, BrambleGlyph::Down);
        if (MouseInside && !ActiveGlyph.Empty())
            return show(ActiveGlyph, BrambleGlyph::Active);
        if (!UpGlyph.Empty())
            return show(UpGlyph, BrambleGlyph::Up);
        return nullptr;
    }
    if (!UnEnGlyph.Empty())
        return show(UnEnGlyph, BrambleGlyph::Disabled);
    if (!UpGlyph.Empty())
        return show(UpGlyph, BrambleGlyph::Up);
    return nullptr;
}

BrambleReaction BrambleButtonState::MouseMove(int32_t x, int32_t y)
{
    BrambleReaction r;
    const bool old = MouseInside;
    bool seeThrough = false;
    // The picture may have been replaced since it was drawn: read only
    // inside the picture that is there now.
    if (const BrambleBmp *bmp = glyph(ShownGlyph); bmp && bmp->Contains(x, y))
        seeThrough = bmp->Pixel(x, y) == ShownTransparentColor;
    // Column 0 and row 0 never count as inside.
    MouseInside = x > 0 && x < ShownWidth && y > 0 && y < ShownHeight && !seeThrough;
    if (MouseInside != old && (!ActiveGlyph.Empty() || Pressed))
        r.redraw = true;
    if (!old && MouseInside && !LeaveTimerPending) {
        LeaveTimerPending = true;
        r.startLeaveTimer = true;
    }
    r.forwardEvent = MouseInside;
    return r;
}

BrambleReaction BrambleButtonState::LeaveTimerTick(bool outsideRect)
{
    BrambleReaction r;
    if (outsideRect && MouseInside) {
        MouseInside = false;
        r.redraw = true;
    }
    LeaveTimerPending = false;
    return r;
}

BrambleReaction BrambleButtonState::MouseLeave()
{
    BrambleReaction r;
    if (MouseInside) {
        MouseInside = false;
        r.redraw = !ActiveGlyph.Empty();
    }
    r.forwardEvent = true;
    return r;
}

BrambleReaction BrambleButtonState::MouseDown(MouseButton button)
{
    BrambleReaction r;
    if (button != MouseButton::Left || !MouseInside)
        return r;
    Pressed = true;
    MouseInside = true;
    r.redraw = !DownGlyph.Empty();
    r.forwardEvent = true;
    return r;
}

BrambleReaction BrambleButtonState::MouseUp(MouseButton button)
{
    BrambleReaction r;
    if (button != MouseButton::Left)
        return r;
    Pressed = false;
    if (!MouseInside)
        return r;
    r.redraw = !UpGlyph.Empty();
    r.click = true;
    r.forwardEvent = true;
    return r;
}

} // namespace pellavan
