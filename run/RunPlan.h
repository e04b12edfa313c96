// SPDX-License-Identifier: GPL-3.0-or-later
// The jobs of a run, decided once when Convert is pressed: which checked
// nodes make jobs, what each converts and where it writes.  The run walks
// the plan; the settings a job converts with are still read as it starts.
#pragma once

#include "catalogue/Catalogue.h"
#include "dvdconvert_names.h"

#include <optional>
#include <string>
#include <vector>

namespace pellavan {

// A node makes a job when it is a checked title node, or a checked chapter
// node whose title node is not checked.
bool IsJobNode(const TreeNode &node);
int CountJobs(const TitleTree &tree);
// Absolute index of the first checked node of level 1 or 2, or -1.
int FirstCheckedIndex(const TitleTree &tree);

// "<disc>_Title%.2d<ext>", "<disc>_Title%.2d_%.2d<ext>", or "<disc><ext>" when merging.
std::string OutputFileName(const std::string &discName, bool chapterJob, int32_t title,
                           int32_t firstChapter, bool merge, int encoderIndex);

struct PlannedJob {
    int node = -1;                  // absolute index of the title or chapter node
    bool chapterJob = false;
    int32_t title = 0;              // engine indexes
    int32_t firstChapter = 0;
    int32_t lastChapter = 0;
    int32_t audioStream = 0;        // streamIds; 0 for none
    int32_t subtitleStream = 0;
    int32_t frameRateNum = 0;       // the title's own rate, for "Keep original frame rate"
    int32_t frameRateDen = 0;
    int32_t angleCount = 0;
    std::string fileName;           // the output file's name, folder not included
    std::string name;               // its own file's name without extension, merged or not
    bool newFile = true;            // false: appends to the run's open file
    bool operator==(const PlannedJob &) const = default;
};

struct RunPlan {
    std::vector<PlannedJob> jobs;
    bool merge = false;
    // A merged run writes the one file it began with, wherever the output
    // folder is moved in the meantime; unset when each job names its own.
    std::optional<std::string> mergedPath;

    // Where a job writes when it starts with `folder` as the output folder.
    std::string OutputPath(const PlannedJob &job, const std::string &folder) const
    {
        return mergedPath ? *mergedPath : folder + job.fileName;
    }
};

// The plan of the checked nodes, in tree order; `merge`, `encoderIndex` and
// `folder` as they are when Convert is pressed.
RunPlan PlanRun(const DiscCatalogue &disc, bool merge, int encoderIndex, const std::string &folder);

} // namespace pellavan
