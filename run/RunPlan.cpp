// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunPlan.h"

#include "settings/Profiles.h"

namespace pellavan {

bool IsJobNode(const TreeNode &node)
{
    if (!IsChecked(node.state))
        return false;
    if (node.level == LevelTitle)
        return true;
    return node.IsChapter() && !(node.parent && IsChecked(node.parent->state));
}

int CountJobs(const TitleTree &tree)
{
    int jobs = 0;
    for (const TreeNode *n : tree.Nodes())
        jobs += IsJobNode(*n) ? 1 : 0;
    return jobs;
}

int FirstCheckedIndex(const TitleTree &tree)
{
    const auto &nodes = tree.Nodes();
    for (size_t i = 0; i < nodes.size(); ++i) {
        const TreeNode &n = *nodes[i];
        if ((n.level == LevelTitle || n.level == LevelChapter) && IsChecked(n.state))
            return int(i);
    }
    return -1;
}

std::string OutputFileName(const std::string &discName, bool chapterJob, int32_t title,
                           int32_t firstChapter, bool merge, int encoderIndex)
{
    const char *ext = OutputExtension(encoderIndex);
    if (merge)
        return discName + ext;
    return dvdconvert::JobFileStem(discName, title, firstChapter, chapterJob) + ext;
}

RunPlan PlanRun(const DiscCatalogue &disc, bool merge, int encoderIndex, const std::string &folder)
{
    RunPlan plan;
    plan.merge = merge;
    const TitleTree &tree = disc.tree;
    const std::string discName = tree.DiscNode() ? tree.DiscNode()->label : std::string();
    if (merge)
        plan.mergedPath = folder + OutputFileName(discName, false, 0, 0, true, encoderIndex);
    const int firstChecked = FirstCheckedIndex(tree);
    const auto &nodes = tree.Nodes();
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (!IsJobNode(*nodes[i]))
            continue;
        const CatalogueEntry e = CatalogueEntryOf(disc.info, *nodes[i]);
        PlannedJob job;
        job.node = int(i);
        job.chapterJob = nodes[i]->IsChapter();
        job.title = e.title;
        job.firstChapter = e.firstChapter;
        job.lastChapter = e.lastChapter;
        job.audioStream = e.audioStreamId;
        job.subtitleStream = e.subtitleStreamId;
        if (e.titleInfo) {
            job.frameRateNum = e.titleInfo->video.frameRateNum;
            job.frameRateDen = e.titleInfo->video.frameRateDen;
            job.angleCount = e.titleInfo->angleCount;
        }
        job.fileName = OutputFileName(discName, job.chapterJob, job.title, job.firstChapter, merge, encoderIndex);
        job.name = dvdconvert::JobFileStem(discName, job.title, job.firstChapter, job.chapterJob);
        job.newFile = !merge || job.node == firstChecked;
        plan.jobs.push_back(std::move(job));
    }
    return plan;
}

} // namespace pellavan
