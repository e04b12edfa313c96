// SPDX-License-Identifier: GPL-3.0-or-later
#include "AdvSettings.h"

#include <algorithm>

namespace pellavan {

namespace {

template <class T>
bool InList(std::span<const T> list, int i)
{
    return i >= 0 && size_t(i) < list.size();
}

template <class T>
const T *Item(std::span<const T> list, int i)
{
    return InList(list, i) ? &list[size_t(i)] : nullptr;
}

} // namespace

void AdvSettings::ApplyProfile(int profile)
{
    m_listProfile = -1;
    m_size = m_video = m_rate = m_audio = -1;
    const Profile *p = FindProfile(profile);
    if (!p)
        return;
    m_listProfile = profile;
    m_encoder = p->defaults.encoder;
    m_size = p->defaults.size;
    m_video = p->defaults.video;
    m_rate = p->defaults.rate;
    m_audio = p->defaults.audio;
    m_sampleRate = p->defaults.sampleRate;
    m_keepAspect = true;
    m_hint = p->description;
}

std::span<const SizeItem> AdvSettings::SizeList() const
{
    const Profile *p = FindProfile(m_listProfile);
    return p ? p->sizes : std::span<const SizeItem>{};
}

std::span<const RateItem> AdvSettings::RateList() const
{
    const Profile *p = FindProfile(m_listProfile);
    return p ? p->rates : std::span<const RateItem>{};
}

std::span<const KbpsItem> AdvSettings::VideoBitrateList() const
{
    const Profile *p = FindProfile(m_listProfile);
    return p ? p->videoRates : std::span<const KbpsItem>{};
}

std::span<const KbpsItem> AdvSettings::AudioBitrateList() const
{
    const Profile *p = FindProfile(m_listProfile);
    return p ? p->audioRates : std::span<const KbpsItem>{};
}

void AdvSettings::SetSizeIndex(int i)
{
    if (InList(SizeList(), i))
        m_size = i;
}

void AdvSettings::SetRateIndex(int i)
{
    if (InList(RateList(), i))
        m_rate = i;
}

void AdvSettings::SetVideoBitrateIndex(int i)
{
    if (InList(VideoBitrateList(), i))
        m_video = i;
}

void AdvSettings::SetAudioBitrateIndex(int i)
{
    if (InList(AudioBitrateList(), i))
        m_audio = i;
}

void AdvSettings::SetSampleRateIndex(int i)
{
    if (InList(SampleRates(), i))
        m_sampleRate = i;
}

void AdvSettings::SetAngleIndex(int i)
{
    if (InList(AngleItems(), i))
        m_angle = i;
}

void AdvSettings::SetQuality(int v) { m_quality = std::clamp(v, 0, kQualityMax); }
void AdvSettings::SetVolume(int v) { m_volume = std::clamp(v, 0, kVolumeMax); }
void AdvSettings::SetTime(int ms) { m_time = std::clamp(ms, kTimeMin, kTimeMax); }

void AdvSettings::cheadClick(bool on)
{
    m_ahead = on;
    if (on)
        m_delay = false;
}

void AdvSettings::cdelayClick(bool on)
{
    m_delay = on;
    if (on)
        m_ahead = false;
}

std::optional<int> AdvSettings::GetVideoBitrate(int profile) const
{
    const Profile *p = FindProfile(profile);
    const KbpsItem *item = p ? Item(p->videoRates, m_video) : nullptr;
    return item ? std::optional<int>(item->kbps) : std::nullopt;
}

std::optional<int> AdvSettings::GetAudioBitrate(int profile) const
{
    if (profile == 0 || profile == 3)
        return 32; // their list holds only "32 kbps"
    const Profile *p = FindProfile(profile);
    const KbpsItem *item = p ? Item(p->audioRates, m_audio) : nullptr;
    return item ? std::optional<int>(item->kbps) : std::nullopt;
}

std::optional<FrameRate> AdvSettings::GetFrameRate(int profile) const
{
    const Profile *p = FindProfile(profile);
    const RateItem *item = p ? Item(p->rates, m_rate) : nullptr;
    return item ? std::optional<FrameRate>(FrameRate{item->num, item->den}) : std::nullopt;
}

std::optional<FrameSize> AdvSettings::GetFrameSize(int profile) const
{
    const Profile *p = FindProfile(profile);
    const SizeItem *item = p ? Item(p->sizes, m_size) : nullptr;
    return item ? std::optional<FrameSize>(FrameSize{item->width, item->height}) : std::nullopt;
}

std::optional<int> AdvSettings::GetSampleRate() const { return SampleRateHz(m_sampleRate); }

std::optional<int> AdvSettings::QualityToSend() const
{
    return m_quality == kQualityNeutral ? std::nullopt : std::optional<int>(m_quality);
}

std::optional<float> AdvSettings::VolumeToSend() const
{
    return m_volume == kVolumeNeutral ? std::nullopt : std::optional<float>(VolumeFactor());
}

std::optional<int> AdvSettings::AudioOffset() const
{
    if (m_ahead)
        return m_time;
    if (m_delay)
        return -m_time;
    return std::nullopt;
}

int AdvSettings::AngleFor(int angleCount) const { return angleCount >= m_angle + 1 ? m_angle : 0; }

const char *AdvSettings::ProfileProblem(int profile) const
{
    if (!GetVideoBitrate(profile) || !GetAudioBitrate(profile) || !GetFrameRate(profile) ||
        !GetFrameSize(profile) || m_encoder < 0)
        return kNoProfileText;
    return nullptr;
}

} // namespace pellavan
