// SPDX-License-Identifier: GPL-3.0-or-later
// What the user's pointer and commands do to the title tree: checking and
// unchecking, the hot and pressed looks, the info lines, the disc name.
#pragma once

#include "Catalogue.h"
#include "TitleTree.h"

#include <optional>
#include <string>

namespace pellavan {

// Where a pointer event falls: on a node's check box, elsewhere on a node
// (picture or label), or on no node.
enum class HitPart { Nowhere, Node, CheckBox };
struct TreeHit {
    TreeNode *node = nullptr;
    HitPart part = HitPart::Nowhere;
};

void SelectExclusive(TitleTree &tree, TreeNode &node);
void UpdateTitleFromChapters(TitleTree &tree, TreeNode &title);
void ExpandStreamGroups(TitleTree &tree, TreeNode &node);
bool HasCheckedItems(const TitleTree &tree);

// Select All / Un-Select All; the result is whether Convert may be used.
bool SelectAllItems(TitleTree &tree);
bool UnSelectAllItems(TitleTree &tree);

// The status lines shown for a chapter node (its title's video) and an audio
// node (its stream); nothing for other nodes.
std::optional<std::string> ShowVideoInfo(const TDVDInfo &info, const TreeNode &node);
std::optional<std::string> ShowAudioInfo(const TDVDInfo &info, const TreeNode &node);

// Button pressed: returns the status line to show, if any.
std::optional<std::string> TreeMouseDown(TitleTree &tree, const TDVDInfo &info, const TreeHit &hit);
// Button released: returns whether Convert may be used.
bool TreeMouseUp(TitleTree &tree, const TreeHit &hit, bool leftButtonHeld);
// Pointer moved: one pass over the nodes that brings every check box back to
// its normal look except the one under the pointer.
void TreeMouseMove(TitleTree &tree, const TreeHit &hit, bool leftButtonHeld);

// Only the disc node's label may be edited.
bool CanEditLabel(const TreeNode &node);
// The label an edit leaves on the node: the typed text cleaned, and
// "new_dvd" for a disc name that cleaning left empty.
std::string EditedLabel(const TreeNode &node, const std::string &typed);

// Removes the 13 characters a disc name must not hold (NUL ' \ / : * ? " < > | . and
// space) from UTF-8 text, one Unicode character at a time.
std::string StripNameChars(const std::string &text);

} // namespace pellavan
