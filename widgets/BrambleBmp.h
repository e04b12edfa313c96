// SPDX-License-Identifier: GPL-3.0-or-later
// The four-state image button's logic on pictures held as pixel arrays:
// which picture is shown, when the pointer counts as inside (over a pixel
// that is not the picture's see-through colour), pressing and clicking.
// No window system: the widget forwards its events here and acts on the
// returned reactions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pellavan {

struct BrambleBmp {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;   // row-major, width * height

    bool Empty() const { return width <= 0 || height <= 0; }
    // The colour of the bottom-left pixel is the see-through colour.
    uint32_t TransparentColor() const { return Empty() ? 0 : pixels[std::size_t(height - 1) * std::size_t(width)]; }
    bool Contains(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint32_t Pixel(int32_t x, int32_t y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

enum class BrambleGlyph : uint8_t { Disabled = 0, Up = 1, Active = 2, Down = 3 };
enum class MouseButton { Left, Right, Middle };

struct BrambleReaction {
    bool redraw = false;
    bool startLeaveTimer = false;
    bool forwardEvent = false;   // pass on to the control's own mouse event
    bool click = false;
};

class BrambleButtonState {
public:
    BrambleBmp UpGlyph, ActiveGlyph, DownGlyph, UnEnGlyph;
    bool Enabled = true;

    bool MouseInside = false;
    bool Pressed = false;
    BrambleGlyph ShownGlyph = BrambleGlyph::Disabled;
    uint32_t ShownTransparentColor = 0;
    int32_t ShownWidth = 0;
    int32_t ShownHeight = 0;
    bool LeaveTimerPending = false;

    // Chooses the picture to paint and records it as shown; null: nothing
    // to draw (the shown values stay).
    const BrambleBmp *PaintContent();

    BrambleReaction MouseMove(int32_t x, int32_t y);
    BrambleReaction MouseLeave();
    BrambleReaction MouseDown(MouseButton button);
    BrambleReaction MouseUp(MouseButton button);
    // The one-shot leave check; `outsideRect`: the pointer lies outside the
    // control's whole rectangle.
    BrambleReaction LeaveTimerTick(bool outsideRect);

private:
    const BrambleBmp *glyph(BrambleGlyph g) const;
    const BrambleBmp *show(const BrambleBmp &bmp, BrambleGlyph g);
};

} // namespace pellavan
