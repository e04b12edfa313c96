// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue of the opened disc: what the engine reported for every title,
// the tree built from it, the texts shown for it, and the one rule that maps
// a tree node back to the catalogue entry it was made from.
#pragma once

#include "ConverterEngine.h"
#include "ConverterInstance.h"
#include "TitleTree.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pellavan {

struct TTitleInfo {
    bool excluded = false;
    int32_t chapterCount = 0;
    int32_t listedChapterCount = 0;
    int32_t audioCount = 0;
    int32_t angleCount = 0;
    int32_t listedAudioCount = 0;
    int32_t subtitleCount = 0;
    int32_t listedSubtitleCount = 0;
    int32_t playTime = 0;
    TVideoInfo video{};
    std::vector<int32_t> chapterTimes;
    std::vector<TAudioInfo> audios;
    std::vector<TSubInfo> subtitles;
};

struct TDVDInfo {
    int32_t titleCount = 0;
    int32_t listedTitleCount = 0;
    std::vector<TTitleInfo> titles;
};

// The catalogue and its tree, as the main window holds them.
struct DiscCatalogue {
    TDVDInfo info;
    TitleTree tree;
};

// printf into a string as long as the text needs: the catalogue's lines
// carry engine texts and numbers of any length.
template <typename... Args> std::string FormatText(const char *fmt, Args... args)
{
    const int n = std::snprintf(nullptr, 0, fmt, args...);
    if (n <= 0)
        return {};
    std::string out(size_t(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), fmt, args...);
    out.resize(size_t(n));
    return out;
}

// "%-.2d:%-.2d:%-.2d:%-.3d" of hours, minutes, seconds, milliseconds.
std::string FormatPlayTime(int32_t milliseconds);
std::string AudioFormatName(int32_t formatCode);
std::string VideoStandardName(int32_t videoStandard);
std::string AspectName(int32_t aspectCode);
// The displayed frame rate: integer quotient, 0 when the denominator is 0.
int32_t FramesPerSecond(const TVideoInfo &video);
// "Video:Width:%d Height:%d FPS:%d Format:%s Aspect:%s"
std::string VideoLine(const TVideoInfo &video);
// An engine text field up to its first zero byte, never past the field.
template <size_t N> std::string FieldText(const char (&field)[N])
{
    size_t n = 0;
    while (n < N && field[n] != '\0')
        ++n;
    return std::string(field, n);
}

// Opens the disc at `root` with a fresh engine instance (the previous one
// closed first), reads every title and rebuilds the tree with `discName` on
// the disc node and the first title checked.  False when the engine refuses
// the root: the tree and the catalogue are then empty.
bool LoadDisc(ConverterInstance &instance, DiscCatalogue &disc, const std::string &root,
              const std::string &discName);
// What the window says of a disc the engine refused, with the engine's reason.
std::string DiscRefusedText(const std::string &reason);

// Gives every chapter node of the title node the title node's state.
void ApplyTitleStateToChapters(TitleTree &tree, TreeNode &title);
// Checks the first title node with its chapters and selects it; a tree without
// title nodes is left unchecked and unselected.
void CheckFirstTitle(TitleTree &tree);

// The catalogue entry a node stands for.  Every reader (info lines, property
// report, job driver) goes through this one function: a node stands for the
// engine index it was made from (its label number minus one; for streams
// also its data tag minus 100 or 1000), never for its place among siblings,
// which differs when a zero-time chapter or an unlisted stream comes first.
enum class NodeKind { None, Disc, Title, Chapter, AudioGroup, SubtitleGroup, Audio, Subtitle };
struct CatalogueEntry {
    NodeKind kind = NodeKind::None;
    int32_t title = -1;                  // engine title index
    // Chapter node: its engine chapter in both.  Title node: 0 and the engine
    // chapter of its last chapter node (-1 when it has none).
    int32_t firstChapter = -1;
    int32_t lastChapter = -1;
    // Audio or subtitle node: its engine stream index and record.
    int32_t streamIndex = -1;
    const TAudioInfo *audio = nullptr;
    const TSubInfo *subtitle = nullptr;
    // The streamId to convert with: for a title or chapter node, that of the
    // first checked node of the title's audio / subtitle group (0 when there
    // is none); for a stream node, its own record's.
    int32_t audioStreamId = 0;
    int32_t subtitleStreamId = 0;
    const TTitleInfo *titleInfo = nullptr;
};
CatalogueEntry CatalogueEntryOf(const TDVDInfo &info, const TreeNode &node);

} // namespace pellavan
