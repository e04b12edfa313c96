// SPDX-License-Identifier: GPL-3.0-or-later
#include "Catalogue.h"

#include <algorithm>
#include <cstdio>

namespace pellavan {

std::string FormatPlayTime(int32_t t)
{
    // A negative time has no sensible reading; it shows as zero.
    t = std::max<int32_t>(t, 0);
    auto part = [](int32_t v) { return unsigned(uint16_t(v)); };
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.2u:%.2u:%.2u:%.3u", part(t / 3600000), part(t % 3600000 / 60000),
                  part(t % 60000 / 1000), part(t % 1000));
    return buf;
}

std::string AudioFormatName(int32_t formatCode)
{
    switch (formatCode) {
    case 0: return "AC3";
    case 6: return "DTS";
    default: return {};
    }
}

std::string VideoStandardName(int32_t videoStandard)
{
    switch (videoStandard) {
    case 0: return "NTSC";
    case 1: return "PAL";
    default: return {};
    }
}

std::string AspectName(int32_t aspectCode)
{
    switch (aspectCode) {
    case 0: return "4:3";
    case 3: return "16:9";
    default: return {};
    }
}

int32_t FramesPerSecond(const TVideoInfo &v)
{
    if (v.frameRateDen == 0)
        return 0;
    // INT32_MIN / -1 does not fit; such a rate is nonsense anyway.
    if (v.frameRateDen == -1 && v.frameRateNum == INT32_MIN)
        return 0;
    return v.frameRateNum / v.frameRateDen;
}

std::string VideoLine(const TVideoInfo &v)
{
    return FormatText("Video:Width:%d Height:%d FPS:%d Format:%s Aspect:%s", v.width, v.height,
                      FramesPerSecond(v), VideoStandardName(v.videoStandard).c_str(), AspectName(v.aspectCode).c_str());
}

namespace {

void QueryTitle(ConverterEngine &engine, DCHandle h, int32_t i, TTitleInfo &t)
{
    // Counts and times below zero are engine faults; they count as nothing.
    auto nonNegative = [](int32_t v) { return std::max<int32_t>(v, 0); };
    t.chapterCount = nonNegative(engine.Converter_GetChapterCount(h, i));
    t.listedChapterCount = 0;
    t.angleCount = nonNegative(engine.Converter_GetAngleCount(h, i));
    t.audioCount = nonNegative(engine.Converter_GetAudioCount(h, i));
    t.listedAudioCount = 0;
    t.subtitleCount = nonNegative(engine.Converter_GetSubCount(h, i));
    t.listedSubtitleCount = 0;
    t.playTime = nonNegative(engine.Converter_GetTitlePlayTime(h, i));
    t.video = TVideoInfo{};
    engine.Converter_GetVideoInfo(h, i, &t.video);
    t.chapterTimes.assign(size_t(t.chapterCount), 0);
    for (int32_t j = 0; j < t.chapterCount; ++j)
        t.chapterTimes[size_t(j)] = nonNegative(engine.Converter_GetChapterPlayTime(h, i, j));
    t.audios.assign(size_t(t.audioCount), TAudioInfo{});
    for (int32_t j = 0; j < t.audioCount; ++j)
        engine.Converter_GetAudioInfo(h, i, j, &t.audios[size_t(j)]);
    t.subtitles.assign(size_t(t.subtitleCount), TSubInfo{});
    for (int32_t j = 0; j < t.subtitleCount; ++j)
        engine.Converter_GetSubInfo(h, i, j, &t.subtitles[size_t(j)]);
}

// One stream group of a title: a node for each listed stream, stream 0
// checked; a group with no listed stream goes again.
template <class Record, class Label>
void BuildStreamGroup(TitleTree &tree, TreeNode &title, const char *caption, int groupImage, int image,
                      int32_t tagBase, const std::vector<Record> &records, int32_t &listed, Label label)
{
    if (records.empty())
        return;
    TreeNode &group = tree.Add(&title, caption, LevelChapter, groupImage);
    for (int32_t j = 0; j < int32_t(records.size()); ++j) {
        if (records[size_t(j)].listed == 0)
            continue;
        ++listed;
        tree.Add(&group, label(j, records[size_t(j)]), LevelStream, image, j == 0 ? StateCheckedHot : StateUncheckedHot,
                 tagBase + j, j);
    }
    if (listed == 0)
        tree.Remove(group);
}

void BuildTitle(TitleTree &tree, TreeNode &disc, int32_t i, TTitleInfo &t)
{
    TreeNode &title = tree.Add(&disc, FormatText("Title %.2d [%s]", i + 1, FormatPlayTime(t.playTime).c_str()),
                               LevelTitle, ImageTitle, StateUnchecked, 0, i);
    for (int32_t j = 0; j < t.chapterCount; ++j) {
        int32_t time = t.chapterTimes[size_t(j)];
        if (time == 0)
            continue;
        ++t.listedChapterCount;
        tree.Add(&title, FormatText("Chapter %.2d [%s]", j + 1, FormatPlayTime(time).c_str()), LevelChapter,
                 ImageChapter, title.state, 0, j);
    }
    BuildStreamGroup(tree, title, "Audio Languages", ImageAudioGroup, ImageAudio, AudioTagBase, t.audios,
                     t.listedAudioCount, [](int32_t j, const TAudioInfo &a) {
                         return FormatText("%.2d %s %s", j + 1, AudioFormatName(a.formatCode).c_str(),
                                           FieldText(a.language).c_str());
                     });
    BuildStreamGroup(tree, title, "Sub Titles", ImageSubtitleGroup, ImageSubtitle, SubtitleTagBase, t.subtitles,
                     t.listedSubtitleCount,
                     [](int32_t j, const TSubInfo &sub) { return FormatText("%.2d %s", j + 1, FieldText(sub.language).c_str()); });
}

} // namespace

bool LoadDisc(ConverterInstance &instance, DiscCatalogue &disc, const std::string &root,
              const std::string &discName)
{
    ConverterEngine &engine = instance.Engine();
    TitleTree &tree = disc.tree;
    TDVDInfo &info = disc.info;
    tree.BeginRebuild();
    tree.Clear();
    info.listedTitleCount = 0;
    // A refused disc must leave no trace of the previous one either: other
    // commands walk `titles` with the new, empty engine instance.
    info.titleCount = 0;
    info.titles.clear();

    const DCHandle handle = instance.Replace();
    if (!engine.Converter_OpenDVD(handle, root, 1)) {
        tree.EndRebuild();
        return false;
    }

    info.titleCount = std::max<int32_t>(engine.Converter_GetTitleCount(handle), 0);
    info.titles.assign(size_t(info.titleCount), TTitleInfo{});
    for (int32_t i = 0; i < info.titleCount; ++i)
        QueryTitle(engine, handle, i, info.titles[size_t(i)]);

    TreeNode &discNode = tree.Add(nullptr, discName, LevelDisc, ImageDisc);
    tree.SetNodeBold(&discNode, true);
    for (int32_t i = 0; i < info.titleCount; ++i) {
        TTitleInfo &t = info.titles[size_t(i)];
        t.excluded = false;
        ++info.listedTitleCount;
        BuildTitle(tree, discNode, i, t);
    }
    tree.SetExpanded(discNode, true);
    CheckFirstTitle(tree);
    tree.EndRebuild();
    return true;
}

std::string DiscRefusedText(const std::string &reason)
{
    return reason.empty() ? "This disc cannot be opened." : "This disc cannot be opened: " + reason;
}

void ApplyTitleStateToChapters(TitleTree &tree, TreeNode &title)
{
    for (auto &c : title.children)
        if (c->IsChapter())
            tree.SetState(*c, title.state);
}

void CheckFirstTitle(TitleTree &tree)
{
    TreeNode *first = tree.NodeAt(1);
    if (!first || first->level != LevelTitle)
        return;
    tree.SetState(*first, StateCheckedHot);
    ApplyTitleStateToChapters(tree, *first);
    tree.Select(first);
}

namespace {

const TreeNode *TitleNodeOf(const TreeNode &node)
{
    const TreeNode *n = &node;
    while (n && n->level > LevelTitle)
        n = n->parent;
    return n && n->level == LevelTitle ? n : nullptr;
}

const TreeNode *GroupOf(const TreeNode &title, int image)
{
    for (auto &c : title.children)
        if (c->level == LevelChapter && c->imageIndex == image && c->HasChildren())
            return c.get();
    return nullptr;
}

const TreeNode *FirstChecked(const TreeNode *group)
{
    if (group)
        for (auto &c : group->children)
            if (IsChecked(c->state))
                return c.get();
    return nullptr;
}

const TAudioInfo *AudioOf(const TTitleInfo &t, const TreeNode &n)
{
    int32_t idx = n.data - AudioTagBase;
    return n.data >= AudioTagBase && n.data < SubtitleTagBase && size_t(idx) < t.audios.size()
               ? &t.audios[size_t(idx)]
               : nullptr;
}

const TSubInfo *SubtitleOf(const TTitleInfo &t, const TreeNode &n)
{
    int64_t idx = int64_t(n.data) - SubtitleTagBase;
    return idx >= 0 && uint64_t(idx) < t.subtitles.size() ? &t.subtitles[size_t(idx)] : nullptr;
}

} // namespace

CatalogueEntry CatalogueEntryOf(const TDVDInfo &info, const TreeNode &node)
{
    CatalogueEntry e;
    if (node.level == LevelDisc) {
        e.kind = NodeKind::Disc;
        return e;
    }
    const TreeNode *titleNode = TitleNodeOf(node);
    if (!titleNode || titleNode->engineIndex < 0 || size_t(titleNode->engineIndex) >= info.titles.size())
        return e;
    const TTitleInfo &t = info.titles[size_t(titleNode->engineIndex)];
    e.title = titleNode->engineIndex;
    e.titleInfo = &t;

    if (node.level == LevelStream) {
        bool audio = node.data >= AudioTagBase && node.data < SubtitleTagBase;
        e.kind = audio ? NodeKind::Audio : NodeKind::Subtitle;
        if (audio) {
            e.audio = AudioOf(t, node);
            e.streamIndex = e.audio ? node.data - AudioTagBase : -1;
            e.audioStreamId = e.audio ? e.audio->streamId : 0;
        } else {
            e.subtitle = SubtitleOf(t, node);
            e.streamIndex = e.subtitle ? node.data - SubtitleTagBase : -1;
            e.subtitleStreamId = e.subtitle ? e.subtitle->streamId : 0;
        }
        return e;
    }
    if (node.level == LevelChapter && node.HasChildren()) {
        e.kind = node.imageIndex == ImageAudioGroup ? NodeKind::AudioGroup : NodeKind::SubtitleGroup;
        return e;
    }

    // Title and chapter nodes: the parameters of a job.
    if (node.level == LevelTitle) {
        e.kind = NodeKind::Title;
        e.firstChapter = 0;
        for (auto &c : node.children)
            if (c->IsChapter())
                e.lastChapter = c->engineIndex;
    } else {
        e.kind = NodeKind::Chapter;
        e.firstChapter = e.lastChapter = node.engineIndex;
    }
    if (const TreeNode *a = FirstChecked(GroupOf(*titleNode, ImageAudioGroup)))
        if (const TAudioInfo *r = AudioOf(t, *a))
            e.audioStreamId = r->streamId;
    if (const TreeNode *s = FirstChecked(GroupOf(*titleNode, ImageSubtitleGroup)))
        if (const TSubInfo *r = SubtitleOf(t, *s))
            e.subtitleStreamId = r->streamId;
    return e;
}

} // namespace pellavan
