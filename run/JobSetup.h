// The job driver's decisions: which checked nodes make jobs, the engine
// parameters and output name of a job, and the engine calls that configure
// and start it.  Plain code over the tree, the catalogue and a snapshot of
// the settings, so the whole call sequence can be checked without a window.
#pragma once

#include "ConverterEngine.h"
#include "catalogue/Catalogue.h"
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

// A node makes a job when it is a checked title node, or a checked chapter
// node whose title node is not checked.
bool IsJobNode(const TreeNode &node);
int CountJobs(const TitleTree &tree);
// Absolute index of the first checked node of level 1 or 2, or -1.
int FirstCheckedIndex(const TitleTree &tree);
// Absolute index of the first job node at or after `index`, or -1.
int FindJobNode(const TitleTree &tree, int index);

// Margins of 2 and more lose one pixel: 0 and 1 pass, 2 gives 1, 10 gives 9.
int AdjustCropMargin(int margin);

// "<disc>_Title%.2d<ext>", "<disc>_Title%.2d_%.2d<ext>", or "<disc><ext>" when merging.
std::string OutputFileName(const std::string &discName, bool chapterJob, int32_t title,
                           int32_t firstChapter, bool merge, int encoderIndex);

// The parameters of the job that `node` makes; `newFile` decided by the caller.
JobParams BuildJobParams(const TDVDInfo &info, const TreeNode &node, const JobSettings &settings,
                         bool newFile);

// What configuring and starting one job did.
struct JobStart {
    bool started = false;
    std::string name;            // output file name, folder not included
    std::string progressText;    // "One Pass " or "Convert "; empty when refused before it is set
    JobParams params;
};

inline constexpr const char *kOnePassText = "One Pass ";
inline constexpr const char *kConvertText = "Convert ";

// Pushes the settings to the engine in the fixed order, names the output
// file and calls Converter_Convert.  A refusal of Converter_SetConvertInfo
// or Converter_Convert ends the sequence with `started` false.
JobStart ConvertJob(ConverterEngine &engine, DCHandle handle, const TDVDInfo &info,
                    const TitleTree &tree, const TreeNode &node, const JobSettings &settings,
                    ConvertCallback callback);

// The rate, quality and volume settings: the first engine step of every job.
void ApplyEncoderSettings(ConverterEngine &engine, DCHandle handle, const JobSettings &settings);

} // namespace pellavan
