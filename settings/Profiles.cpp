// SPDX-License-Identifier: GPL-3.0-or-later
#include "Profiles.h"

#include <iterator>

namespace pellavan {

namespace {

constexpr SizeItem kSizesA[] = {
    {"160*108", 160, 108}, {"272*208", 272, 208}, {"288*224", 288, 224}, {"304*240", 304, 240},
    {"320*240", 320, 240},
};
constexpr SizeItem kSizesB[] = {
    {"160*108", 160, 108}, {"272*208", 272, 208}, {"288*224", 288, 224}, {"304*240", 304, 240},
    {"320*240", 320, 240}, {"640*480", 640, 480}, {"720*480", 720, 480}, {"720*576", 720, 576},
};
constexpr SizeItem kSizesC[] = {
    {"160*108", 160, 108}, {"272*208", 272, 208}, {"288*224", 288, 224}, {"304*240", 304, 240},
    {"320*240", 320, 240}, {"336*240", 336, 240}, {"400*304", 400, 304}, {"432*336", 432, 336},
    {"464*352", 464, 352}, {"480*368", 480, 368}, {"640*480", 640, 480}, {"720*480", 720, 480},
    {"720*576", 720, 576},
};
constexpr SizeItem kSizesD[] = {
    {"160*108", 160, 108}, {"272*208", 272, 208}, {"288*224", 288, 224}, {"304*240", 304, 240},
    {"320*240", 320, 240}, {"336*240", 336, 240}, {"400*304", 400, 304}, {"432*336", 432, 336},
    {"464*352", 464, 352}, {"480*368", 480, 368}, {"640*480", 640, 480},
};
constexpr SizeItem kSizesE[] = {
    {"240*160", 240, 160}, {"320*240", 320, 240}, {"480*272", 480, 272},
    {"480*320", 480, 320}, {"480*368", 480, 368}, {"512*384", 512, 384},
    {"640*480", 640, 480}, {"720*480", 720, 480}, {"1280*720", 1280, 720},
};

constexpr RateItem kKeep{"Keep original frame rate", -1, -1};
constexpr RateItem k12{"12", 12000, 1000};
constexpr RateItem k15{"15", 15000, 1000};
constexpr RateItem k20{"20", 20000, 1000};
constexpr RateItem k2397{"23.97", 24000, 1001};
constexpr RateItem k24{"24", 24000, 1000};
constexpr RateItem k25{"25", 25000, 1000};
constexpr RateItem k2997{"29.97", 30000, 1001};
constexpr RateItem k30{"30", 30000, 1000};

constexpr RateItem kRatesA[] = {kKeep, k15, k20, k24, k25, k30};
constexpr RateItem kRatesB[] = {kKeep, k20, k2397, k24, k25, k2997, k30};
constexpr RateItem kRatesC[] = {kKeep, k12, k15, k20, k2397, k24, k25, k2997, k30};

constexpr KbpsItem kVideoA[] = {
    {"256 kbps", 256}, {"384 kbps", 384}, {"512 kbps", 512}, {"576 kbps", 576}, {"640 kbps", 640},
};
constexpr KbpsItem kVideoB[] = {
    {"256 kbps", 256},   {"384 kbps", 384},   {"512 kbps", 512},   {"640 kbps", 640},
    {"768 kbps", 768},   {"900 kbps", 900},   {"1500 kbps", 1500}, {"2000 kbps", 2000},
    {"2500 kbps", 2500}, {"3000 kbps", 3000},
};
constexpr KbpsItem kVideoC[] = {
    {"256 kbps", 256}, {"384 kbps", 384},   {"512 kbps", 512},   {"640 kbps", 640},   {"768 kbps", 768},
    {"900 kbps", 900}, {"1500 kbps", 1500}, {"2000 kbps", 2000}, {"2500 kbps", 2500},
};

constexpr KbpsItem kAudioA[] = {{"32 kbps", 32}};
constexpr KbpsItem kAudioB[] = {
    {"64 kbps", 64}, {"96 kbps", 96}, {"128 kbps", 128}, {"160 kbps", 160}, {"256 kbps", 256}, {"320 kbps", 320},
};
constexpr KbpsItem kAudioC[] = {{"64 kbps", 64}, {"96 kbps", 96}, {"128 kbps", 128}, {"160 kbps", 160}};

constexpr Profile kProfiles[kProfileCount] = {
    {"Zune Video - Windows Media Video(*.wmv)", 2,
     "Windows Media Video format optimized for micorsoft Zune", kSizesA, kRatesA, kVideoA, kAudioA,
     {2, 4, 4, 2, 0, 1}},
    {"Zune 2 Video - Windows Media Video(*.wmv)", 2,
     "Windows Media Video format optimized for micorsoft Zune 2", kSizesB, kRatesA, kVideoB, kAudioB,
     {2, 4, 4, 5, 3, 2}},
    {"Zune 2 (640*480) MPEG-4 Video(*.mp4)", 1,
     "MPEG-4 Video profile optimized for micorsoft Zune 2(640*480)", kSizesC, kRatesC, kVideoC, kAudioC,
     {1, 10, 7, 6, 1, 2}},
    {"Zune (320*240) Windows Media Video(*.wmv)", 2,
     "Windows Media Video profile optimized for micorsoft Zune(320*240)", kSizesA, kRatesB, kVideoA, kAudioA,
     {2, 4, 6, 4, 0, 2}},
    {"Zune (320*240) MPEG-4 Video(*.mp4)", 1,
     "MPEG-4 Video profile optimized for micorsoft Zune(320*240)", kSizesD, kRatesC, kVideoC, kAudioC,
     {1, 4, 7, 6, 1, 2}},
    {"H.264 Video configure", 0, "H.264 Video configure", kSizesE, kRatesC, kVideoC, kAudioC,
     {0, 6, 7, 6, 1, 2}},
    {"WMV - Windows Media Video(*.wmv)", 2,
     "Stands for Windows Media Video,widely used for network transmission", kSizesE, kRatesC, kVideoC, kAudioC,
     {2, 6, 7, 6, 1, 2}},
    {"MPEG-4 Movie(*.mp4)", 1,
     "Compression standard for network broadcast and video comminication,with small size and high picture quality",
     kSizesE, kRatesC, kVideoC, kAudioC, {1, 6, 7, 6, 1, 2}},
};

constexpr EncoderItem kEncoders[] = {
    {"H264(MP4)", 0, ".mp4"},
    {"Xvid(MP4)", 2, ".mp4"},
    {"WMV(wmv)", 3, ".wmv"},
};

constexpr SampleRateItem kSampleRates[] = {
    {"22050Hz", 22050}, {"32000Hz", 32000}, {"44100Hz", 44100}, {"48000Hz", 48000},
};

constexpr const char *kAngles[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8"};

} // namespace

std::span<const Profile> Profiles() { return kProfiles; }

const Profile *FindProfile(int profile)
{
    if (profile < 0 || profile >= kProfileCount)
        return nullptr;
    return &kProfiles[profile];
}

std::span<const EncoderItem> Encoders() { return kEncoders; }
std::span<const SampleRateItem> SampleRates() { return kSampleRates; }
std::span<const char *const> AngleItems() { return kAngles; }

int EncoderCode(int encoderIndex)
{
    return encoderIndex == 1 || encoderIndex == 2 ? kEncoders[encoderIndex].codec : 0;
}

const char *OutputExtension(int encoderIndex)
{
    return encoderIndex == 2 ? kEncoders[2].extension : kEncoders[0].extension;
}

std::optional<int> SampleRateHz(int index)
{
    if (index < 0 || index >= int(std::size(kSampleRates)))
        return std::nullopt;
    return kSampleRates[index].hz;
}

} // namespace pellavan
