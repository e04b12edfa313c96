// SPDX-License-Identifier: GPL-3.0-or-later
// The Advanced Settings as a plain object: one field per control of the
// dialog, which only shows and edits it.  The job driver reads a job's video
// and audio parameters from here at the start of every job.
#pragma once

#include "Profiles.h"

#include <optional>
#include <span>
#include <string>

namespace pellavan {

struct FrameRate {
    int num;
    int den;
    bool operator==(const FrameRate &) const = default;
};

struct FrameSize {
    int width;
    int height;
    bool operator==(const FrameSize &) const = default;
};

// Shown when a job would need a profile list and there is none, which only a
// hand-edited profile number outside 0..7 can cause.
inline constexpr const char *kNoProfileText = "Please choose an output profile first.";

class AdvSettings {
public:
    static constexpr int kQualityMax = 100;
    static constexpr int kQualityNeutral = 50;
    static constexpr int kVolumeMax = 300;
    static constexpr int kVolumeNeutral = 100;
    static constexpr int kTimeMin = 1;
    static constexpr int kTimeMax = 60000;

    // Replaces the four profile lists with profile p's and selects its
    // defaults.  Outside 0..7 the four lists are left empty with nothing
    // selected, and the other settings are untouched.
    void ApplyProfile(int profile);

    // The profile whose lists are loaded; -1 when they are empty.
    int ListProfile() const { return m_listProfile; }
    std::span<const SizeItem> SizeList() const;
    std::span<const RateItem> RateList() const;
    std::span<const KbpsItem> VideoBitrateList() const;
    std::span<const KbpsItem> AudioBitrateList() const;
    // The profile box's hint, set by the last profile applied.
    const std::string &ProfileHint() const { return m_hint; }

    // Selections: list indexes, -1 = none.  Setters ignore an index outside
    // the current list (a drop-down offers nothing else).
    int SizeIndex() const { return m_size; }
    int RateIndex() const { return m_rate; }
    int VideoBitrateIndex() const { return m_video; }
    int AudioBitrateIndex() const { return m_audio; }
    int SampleRateIndex() const { return m_sampleRate; }
    int EncoderIndex() const { return m_encoder; }
    int AngleIndex() const { return m_angle; }
    void SetSizeIndex(int i);
    void SetRateIndex(int i);
    void SetVideoBitrateIndex(int i);
    void SetAudioBitrateIndex(int i);
    void SetSampleRateIndex(int i);
    void SetAngleIndex(int i);

    // Sliders, flags and the milliseconds box; values are clamped to the ranges.
    int Quality() const { return m_quality; }
    int Volume() const { return m_volume; }
    bool KeepAspect() const { return m_keepAspect; }
    bool Deinterlace() const { return m_deinterlace; }
    bool Ahead() const { return m_ahead; }
    bool Delay() const { return m_delay; }
    int Time() const { return m_time; }
    bool TimeEnabled() const { return m_ahead || m_delay; }
    void SetQuality(int v);
    void SetVolume(int v);
    void SetKeepAspect(bool on) { m_keepAspect = on; }
    void SetDeinterlace(bool on) { m_deinterlace = on; }
    void SetTime(int ms);
    // "Ahead" and "Delay" exclude each other: turning one on turns the other off.
    void cheadClick(bool on);
    void cdelayClick(bool on);

    // Lookups of the current selections in profile p's lists; no value when
    // p is outside 0..7 or nothing valid is selected.
    std::optional<int> GetVideoBitrate(int profile) const;
    std::optional<int> GetAudioBitrate(int profile) const;
    std::optional<FrameRate> GetFrameRate(int profile) const;
    std::optional<FrameSize> GetFrameSize(int profile) const;
    std::optional<int> GetSampleRate() const;

    // What a job passes to the engine; no value means "set nothing".
    std::optional<int> QualityToSend() const;
    std::optional<float> VolumeToSend() const;
    float VolumeFactor() const { return float(m_volume) / 100.0f; }
    std::optional<int> AudioOffset() const;
    // The angle to convert for a title with angleCount angles.
    int AngleFor(int angleCount) const;
    // Null when a job can be built for profile p, else the text to show.
    const char *ProfileProblem(int profile) const;

private:
    int m_listProfile = -1;
    std::string m_hint;
    int m_size = -1;
    int m_rate = -1;
    int m_video = -1;
    int m_audio = -1;
    int m_sampleRate = -1;
    int m_encoder = -1;
    int m_angle = 0;
    int m_quality = kQualityNeutral;
    int m_volume = kVolumeNeutral;
    bool m_keepAspect = false;
    bool m_deinterlace = false;
    bool m_ahead = false;
    bool m_delay = false;
    int m_time = 1000;
};

} // namespace pellavan
