// SPDX-License-Identifier: GPL-3.0-or-later
#include "ColorSettings.h"

#include <algorithm>

namespace pellavan {

namespace {
constexpr ColorPreset kPresets[] = {
    {"Default", 0, 0, 0, 0}, {"CRT", 10, 10, 0, 0}, {"LCD", 15, 10, 0, 0},
    {"TV", 10, 15, 0, 0},    {"Custom", 0, 0, 0, 0},
};
} // namespace

std::span<const ColorPreset> ColorPresets() { return kPresets; }

void ColorSettings::vpresetChange(int index)
{
    if (index < 0 || index > kCustomPreset)
        return;
    preset = index;
    if (index == kCustomPreset)
        return;
    const ColorPreset &p = kPresets[index];
    bright = p.bright;
    contrast = p.contrast;
    hue = p.hue;
    saturat = p.saturat;
}

void ColorSettings::Clamp()
{
    preset = std::clamp(preset, 0, kCustomPreset);
    bright = std::clamp(bright, kBrightRange.min, kBrightRange.max);
    contrast = std::clamp(contrast, kContrastRange.min, kContrastRange.max);
    hue = std::clamp(hue, kHueRange.min, kHueRange.max);
    saturat = std::clamp(saturat, kSaturatRange.min, kSaturatRange.max);
}

std::array<float, 4> ColorSettings::EngineValues() const
{
    return {float(bright) / 100.0f, float(contrast) / 100.0f, float(hue) / 100.0f, float(saturat) / 100.0f};
}

} // namespace pellavan
