// SPDX-License-Identifier: GPL-3.0-or-later
// Setting up and starting one planned job on the engine: its 15 parameters
// and the engine calls in their fixed order.  Plain code over the planned
// job and a snapshot of the settings, so the whole call sequence can be
// checked without a window.
#pragma once

#include "ConverterEngine.h"
#include "RunPlan.h"
#include "settings/AdvSettings.h"
#include "settings/ColorSettings.h"
#include "settings/CropState.h"

#include <optional>
#include <string>

namespace pellavan {

// The settings a job reads from the dialogs at the moment it starts.
struct JobSettings {
    int profile = 0;                  // profilecom position
    AdvSettings adv;                  // the Advanced Settings dialog
    ColorSettings color;              // the Color Control dialog
    std::optional<CropMargins> crop;  // the crop dialog's margins while accepted
    bool twoPass = false;             // c2pass
    bool merge = false;               // csingle
    std::string outputFolder;         // Efolder text, ending with "/"
};

// The 15 values of Converter_SetConvertInfo after the handle.
struct JobParams {
    int32_t title = 0;
    int32_t firstChapter = 0;
    int32_t lastChapter = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t audioStream = 0;
    int32_t subtitleStream = 0;
    int32_t frameRateNum = 0;
    int32_t frameRateDen = 0;
    int32_t twoPass = 0;
    int32_t encoder = 0;
    int32_t keepAspect = 0;
    int32_t newFile = 1;
    int32_t angle = 0;
    int32_t deinterlace = 0;
    bool operator==(const JobParams &) const = default;
};

// Margins of 2 and more lose one pixel: 0 and 1 pass, 2 gives 1, 10 gives 9.
int AdjustCropMargin(int margin);

// The parameters of a planned job with the settings of the moment it starts.
JobParams BuildJobParams(const PlannedJob &job, const JobSettings &settings);

// What configuring and starting one job did.
struct JobStart {
    bool started = false;
    std::string path;            // the output file
    std::string progressText;    // "One Pass " or "Convert "; empty when refused before it is set
    JobParams params;
};

inline constexpr const char *kOnePassText = "One Pass ";
inline constexpr const char *kConvertText = "Convert ";

// Pushes the settings to the engine in the fixed order and calls
// Converter_Convert with `path`.  A refusal of Converter_SetConvertInfo or
// Converter_Convert ends the sequence with `started` false.
JobStart ConvertJob(ConverterEngine &engine, DCHandle handle, const PlannedJob &job, const std::string &path,
                    const JobSettings &settings, ::ConvertCallback callback);

// The rate, quality and volume settings: the first engine step of every job.
void ApplyEncoderSettings(ConverterEngine &engine, DCHandle handle, const JobSettings &settings);

} // namespace pellavan
