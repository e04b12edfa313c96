// SPDX-License-Identifier: GPL-3.0-or-later
// The eight output profiles and every option list they offer, as constant
// data: each item is the text a list shows together with the engine value
// that it stands for.  This is the only copy of these tables.
#pragma once

#include <optional>
#include <span>

namespace pellavan {

struct SizeItem {
    const char *text;
    int width;
    int height;
};

// (-1, -1) keeps the title's own frame rate.
struct RateItem {
    const char *text;
    int num;
    int den;
};

struct KbpsItem {
    const char *text;
    int kbps;
};

struct SampleRateItem {
    const char *text;
    int hz;
};

struct EncoderItem {
    const char *text;
    int codec;              // engine codec code
    const char *extension;  // output file extension
};

// List indexes a profile selects when it is applied (keep-aspect is always turned on).
struct ProfileDefaults {
    int encoder;
    int size;
    int rate;
    int video;
    int audio;
    int sampleRate;
};

struct Profile {
    const char *text;        // the profile box's item
    int encoder;             // index into Encoders()
    const char *description; // the profile box's hint
    std::span<const SizeItem> sizes;
    std::span<const RateItem> rates;
    std::span<const KbpsItem> videoRates;
    std::span<const KbpsItem> audioRates;
    ProfileDefaults defaults;
};

inline constexpr int kProfileCount = 8;

std::span<const Profile> Profiles();
// nullptr for a number outside 0..7.
const Profile *FindProfile(int profile);

std::span<const EncoderItem> Encoders();
std::span<const SampleRateItem> SampleRates();
std::span<const char *const> AngleItems();

// Engine codec code of an encoder index: 2 for 1, 3 for 2, 0 for any other.
int EncoderCode(int encoderIndex);
// ".wmv" for encoder 2, ".mp4" for any other.
const char *OutputExtension(int encoderIndex);
// Hz of a sample-rate index; no value outside 0..3.
std::optional<int> SampleRateHz(int index);

} // namespace pellavan
