// SPDX-License-Identifier: GPL-3.0-or-later
// The crop rectangle of the crop dialog as plain data: the four edges in
// pixels of the preview picture, their maximums from that picture, and
// whether the user confirmed the rectangle.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pellavan {

// What the preview-title choice needs to know of a catalogue title.
struct CropTitle {
    int32_t playTime = 0;
    bool excluded = false;
    int32_t listedChapterCount = 0;
};

struct TDVDInfo;

// The catalogue's titles as the choice needs them; none while no title is
// listed (no disc loaded).
std::vector<CropTitle> CropTitles(const TDVDInfo &info);

// The longest title not excluded; ties go to the lower index, play time 0
// never qualifies.  No value when no title qualifies.
std::optional<int> ChoosePreviewTitle(std::span<const CropTitle> titles);

struct CropMargins {
    int top, bottom, left, right;
    bool operator==(const CropMargins &) const = default;
};

struct CropRect {
    int left, top, right, bottom;
    bool operator==(const CropRect &) const = default;
};

class CropState {
public:
    static constexpr int kAreaWidth = 300;   // the picture is stretched to this area
    static constexpr int kAreaHeight = 225;

    // Takes the maximums from the first preview picture; a value above its new
    // maximum comes down to it.  Sizes below 1 mean "no picture".
    void SetPicture(int width, int height);
    bool HasPicture() const { return m_width > 0 && m_height > 0; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    int Top() const { return m_top; }
    int Bottom() const { return m_bottom; }
    int Left() const { return m_left; }
    int Right() const { return m_right; }
    // Clamped to the boxes' ranges: top and left from 0, bottom and right from 1.
    void SetTop(int v);
    void SetBottom(int v);
    void SetLeft(int v);
    void SetRight(int v);

    // "Full Screen": the rectangle covers the whole picture.
    void FullScreen();
    // Every showing starts from the whole frame with no crop in force.
    void Show();
    // "&OK": accepted only when there is a picture to crop.
    void Accept();
    bool Accepted() const { return m_accepted; }

    // The engine's margins, only while the rectangle is accepted.
    std::optional<CropMargins> Margins() const;
    // The red rectangle in the 300 by 225 area; none without a picture.
    std::optional<CropRect> PaintRect() const;

private:
    static int Clamp(int v, int min, int max);
    int m_width = 0;
    int m_height = 0;
    int m_top = 0;
    int m_bottom = 0;
    int m_left = 0;
    int m_right = 0;
    bool m_accepted = false;
};

} // namespace pellavan
