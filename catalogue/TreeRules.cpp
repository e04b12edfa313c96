// SPDX-License-Identifier: GPL-3.0-or-later
#include "TreeRules.h"

#include <QString>

#include <algorithm>
#include <cstdio>

namespace pellavan {

namespace {

int Toggled(int state) { return IsChecked(state) ? StateUncheckedHot : StateCheckedHot; }

int WithLook(int state, int look) { return 1 + 3 * (IsChecked(state) ? 1 : 0) + look; }

} // namespace

void SelectExclusive(TitleTree &tree, TreeNode &node)
{
    if (node.parent)
        for (auto &c : node.parent->children)
            tree.SetState(*c, StateUncheckedHot);
    tree.SetState(node, StateCheckedHot);
}

void UpdateTitleFromChapters(TitleTree &tree, TreeNode &title)
{
    for (auto &c : title.children)
        if (c->IsChapter() && !IsChecked(c->state)) {
            tree.SetState(title, StateUncheckedHot);
            return;
        }
}

void ExpandStreamGroups(TitleTree &tree, TreeNode &node)
{
    for (auto &c : node.children)
        if (c->level == LevelChapter && c->HasChildren() && !c->expanded)
            tree.SetExpandedAll(*c, true);
}

bool HasCheckedItems(const TitleTree &tree)
{
    for (TreeNode *n : tree.Nodes())
        if (IsChecked(n->state) && (n->level == LevelTitle || n->IsChapter()))
            return true;
    return false;
}

bool SelectAllItems(TitleTree &tree)
{
    for (TreeNode *n : tree.Nodes())
        if (n->level == LevelTitle && !IsChecked(n->state)) {
            tree.SetState(*n, StateCheckedHot);
            ApplyTitleStateToChapters(tree, *n);
        }
    // A disc without titles has nothing to convert.
    return HasCheckedItems(tree);
}

bool UnSelectAllItems(TitleTree &tree)
{
    for (TreeNode *n : tree.Nodes())
        if (n->level == LevelTitle && n->HasChildren() && n->state != StateNone) {
            tree.SetState(*n, StateUncheckedHot);
            ApplyTitleStateToChapters(tree, *n);
        }
    return false;
}

std::optional<std::string> ShowVideoInfo(const TDVDInfo &info, const TreeNode &node)
{
    if (!node.IsChapter())
        return std::nullopt;
    CatalogueEntry e = CatalogueEntryOf(info, node);
    if (!e.titleInfo)
        return std::nullopt;
    return VideoLine(e.titleInfo->video);
}

std::optional<std::string> ShowAudioInfo(const TDVDInfo &info, const TreeNode &node)
{
    if (node.level != LevelStream || node.data == 0 || node.data >= SubtitleTagBase)
        return std::nullopt;
    CatalogueEntry e = CatalogueEntryOf(info, node);
    if (!e.audio)
        return std::nullopt;
    const TAudioInfo &a = *e.audio;
    std::string language = FieldText(a.language);
    std::string format = AudioFormatName(a.formatCode);
    return FormatText("Audio:Language:%s Format:%s SamepleRate:%d Channel:%d", language.c_str(), format.c_str(),
                      a.sampleRate, a.channels);
}

std::optional<std::string> TreeMouseDown(TitleTree &tree, const TDVDInfo &info, const TreeHit &hit)
{
    if (!hit.node || hit.part == HitPart::Nowhere)
        return std::nullopt;
    TreeNode &n = *hit.node;
    std::optional<std::string> line;
    if (n.IsChapter())
        line = ShowVideoInfo(info, n);
    else if (n.level == LevelStream)
        line = ShowAudioInfo(info, n);
    if (hit.part == HitPart::CheckBox && n.state != StateNone)
        tree.SetState(n, WithLook(n.state, 2));
    return line;
}

bool TreeMouseUp(TitleTree &tree, const TreeHit &hit, bool leftButtonHeld)
{
    if (hit.node && hit.part == HitPart::CheckBox && hit.node->state != StateNone) {
        TreeNode &n = *hit.node;
        if (n.level == LevelTitle) {
            tree.SetState(n, Toggled(n.state));
            ApplyTitleStateToChapters(tree, n);
            if (n.state == StateCheckedHot && !n.expanded)
                tree.SetExpandedAll(n, true);
            else if (n.state == StateUncheckedHot && n.expanded)
                tree.SetExpandedAll(n, false);
        } else if (n.level == LevelStream) {
            if (IsChecked(n.state))
                tree.SetState(n, StateUncheckedHot);
            else
                SelectExclusive(tree, n);
        } else if (n.level == LevelChapter) {
            tree.SetState(n, Toggled(n.state));
            if (n.parent)
                UpdateTitleFromChapters(tree, *n.parent);
        }
    }
    TreeMouseMove(tree, hit, leftButtonHeld);
    return HasCheckedItems(tree);
}

void TreeMouseMove(TitleTree &tree, const TreeHit &hit, bool leftButtonHeld)
{
    if (leftButtonHeld)
        return;
    const TreeNode *hot = hit.part == HitPart::CheckBox ? hit.node : nullptr;
    for (TreeNode *n : tree.Nodes())
        if (n->state != StateNone)
            tree.SetState(*n, WithLook(n->state, n == hot ? 1 : 0));
}

bool CanEditLabel(const TreeNode &node) { return node.level <= LevelDisc; }

std::string EditedLabel(const TreeNode &node, const std::string &typed)
{
    std::string cleaned = StripNameChars(typed);
    if (cleaned.empty() && node.level == LevelDisc)
        return "new_dvd";
    return cleaned;
}

std::string StripNameChars(const std::string &text)
{
    // Work on Unicode characters: the removed ones are all ASCII, so no
    // character is ever split and every other one keeps its place.
    static const char16_t removed[] = {0, 39, 92, 47, 58, 42, 63, 34, 60, 62, 124, 46, 32};
    QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        bool drop = false;
        for (char16_t r : removed)
            drop = drop || c.unicode() == r;
        if (!drop)
            out.append(c);
    }
    QByteArray utf8 = out.toUtf8();
    return std::string(utf8.constData(), size_t(utf8.size()));
}

} // namespace pellavan
