// SPDX-License-Identifier: GPL-3.0-or-later
// Colour control as plain data: the preset choice and the four slider
// positions, with the preset table and the drag rule.
#pragma once

#include <array>
#include <span>

namespace pellavan {

struct ColorPreset {
    const char *text;
    int bright, contrast, hue, saturat;
};

struct SliderRange {
    int min, max;
};

inline constexpr int kCustomPreset = 4;
inline constexpr SliderRange kBrightRange{-100, 100};
inline constexpr SliderRange kContrastRange{-100, 1000};
inline constexpr SliderRange kHueRange{-500, 500};
inline constexpr SliderRange kSaturatRange{-100, 1000};

// "Default", "CRT", "LCD", "TV", "Custom" (the last sets nothing).
std::span<const ColorPreset> ColorPresets();

struct ColorSettings {
    int preset = 0;
    int bright = 0;
    int contrast = 0;
    int hue = 0;
    int saturat = 0;

    // Presets 0..3 set the four positions; "Custom" changes nothing.
    void vpresetChange(int index);
    // Beginning to drag any thumb selects "Custom" and moves no slider.
    void StartDrag() { preset = kCustomPreset; }
    // Brings every value into its control's range (stored values may not be).
    void Clamp();
    // Brightness, contrast, hue, saturation as the engine takes them.
    std::array<float, 4> EngineValues() const;
    bool operator==(const ColorSettings &) const = default;
};

} // namespace pellavan
