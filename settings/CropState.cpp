// SPDX-License-Identifier: GPL-3.0-or-later
#include "CropState.h"

#include "catalogue/Catalogue.h"

#include <algorithm>

namespace pellavan {

std::vector<CropTitle> CropTitles(const TDVDInfo &info)
{
    std::vector<CropTitle> out;
    if (info.listedTitleCount == 0)
        return out;
    const size_t count = std::min(info.titles.size(), size_t(std::max(info.titleCount, 0)));
    for (size_t i = 0; i < count; ++i)
        out.push_back({info.titles[i].playTime, info.titles[i].excluded, info.titles[i].listedChapterCount});
    return out;
}

std::optional<int> ChoosePreviewTitle(std::span<const CropTitle> titles)
{
    std::optional<int> chosen;
    int32_t longest = 0;
    for (size_t i = 0; i < titles.size(); ++i) {
        if (titles[i].excluded || titles[i].playTime <= longest)
            continue;
        longest = titles[i].playTime;
        chosen = int(i);
    }
    return chosen;
}

int CropState::Clamp(int v, int min, int max)
{
    // Without a picture the maximum is 0, below the minimum of bottom and right.
    return std::max(0, std::min(std::max(v, min), max));
}

void CropState::SetPicture(int width, int height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    if (!HasPicture())
        m_width = m_height = 0;
    SetTop(m_top);
    SetBottom(m_bottom);
    SetLeft(m_left);
    SetRight(m_right);
}

void CropState::SetTop(int v) { m_top = Clamp(v, 0, m_height); }
void CropState::SetBottom(int v) { m_bottom = Clamp(v, 1, m_height); }
void CropState::SetLeft(int v) { m_left = Clamp(v, 0, m_width); }
void CropState::SetRight(int v) { m_right = Clamp(v, 1, m_width); }

void CropState::FullScreen()
{
    m_top = 0;
    m_bottom = m_height;
    m_left = 0;
    m_right = m_width;
}

void CropState::Show()
{
    FullScreen();
    m_accepted = false;
}

void CropState::Accept() { m_accepted = HasPicture(); }

std::optional<CropMargins> CropState::Margins() const
{
    if (!m_accepted || !HasPicture())
        return std::nullopt;
    return CropMargins{m_top, m_height - m_bottom, m_left, m_width - m_right};
}

std::optional<CropRect> CropState::PaintRect() const
{
    if (!HasPicture())
        return std::nullopt;
    return CropRect{m_left * kAreaWidth / m_width, m_top * kAreaHeight / m_height,
                    m_right * kAreaWidth / m_width + 3, m_bottom * kAreaHeight / m_height + 3};
}

} // namespace pellavan
