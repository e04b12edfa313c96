// SPDX-License-Identifier: GPL-3.0-or-later
// The title tree as plain data: the disc node, its titles, their chapters,
// stream groups and streams, each with the look and check state the view
// draws.  The view only mirrors this model; every rule works on it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pellavan {

// Levels of the tree.
enum : int { LevelDisc = 0, LevelTitle = 1, LevelChapter = 2, LevelStream = 3 };

// Pictures of the tree's picture list.
enum : int {
    ImageDisc = 0,
    ImageChapter = 1,
    ImageChapterNote = 2,
    ImageChapterText = 3,
    ImageTitle = 4,
    ImageAudioGroup = 5,
    ImageSubtitleGroup = 6,
    ImageAudio = 7,
    ImageSubtitle = 8,
    ImageStop = 9,
    ImageCount = 10
};

// Check states: 1 + 3 * checked + look (normal 0, hot 1, pressed 2); 0 = no check box.
enum : int { StateNone = 0, StateUnchecked = 1, StateUncheckedHot = 2, StateUncheckedPressed = 3,
             StateChecked = 4, StateCheckedHot = 5, StateCheckedPressed = 6 };

// Data tags of stream nodes.
constexpr int32_t AudioTagBase = 100;
constexpr int32_t SubtitleTagBase = 1000;

inline bool IsChecked(int state) { return state >= StateChecked; }

struct TreeNode {
    std::string label;             // UTF-8
    int level = 0;
    int imageIndex = 0;
    int state = StateNone;
    int32_t data = 0;
    // The engine index the node was made from (title, chapter or stream);
    // -1 for the disc and group nodes.  See CatalogueEntryOf.
    int32_t engineIndex = -1;
    bool expanded = false;
    bool bold = false;
    bool selected = false;
    TreeNode *parent = nullptr;
    int absoluteIndex = -1;        // kept by TitleTree::Nodes()
    std::vector<std::unique_ptr<TreeNode>> children;

    bool HasChildren() const { return !children.empty(); }
    // Chapter nodes are the level-2 nodes without children (group nodes always have some).
    bool IsChapter() const { return level == LevelChapter && children.empty(); }
    int Position() const;          // 0-based place among its siblings
};

class TitleTree {
public:
    // Tells the view what changed; set by the view, absent in plain tests.
    struct Listener {
        virtual ~Listener() = default;
        virtual void TreeAboutToReset() = 0;
        virtual void TreeReset() = 0;
        virtual void NodeChanged(TreeNode &node) = 0;            // label, state, bold, selected
        virtual void NodeExpandedChanged(TreeNode &node) = 0;
        virtual void TreeDestroyed() = 0;
    };

    TitleTree() = default;
    ~TitleTree();
    TitleTree(const TitleTree &) = delete;
    TitleTree &operator=(const TitleTree &) = delete;

    void SetListener(Listener *listener) { m_listener = listener; }

    // Structure changes happen only between BeginRebuild and EndRebuild.
    void BeginRebuild();
    void EndRebuild();
    void Clear();
    TreeNode &Add(TreeNode *parent, std::string label, int level, int image, int state = StateNone,
                  int32_t data = 0, int32_t engineIndex = -1);
    void Remove(TreeNode &node);

    const std::vector<std::unique_ptr<TreeNode>> &TopNodes() const { return m_top; }
    TreeNode *DiscNode() const { return m_top.empty() ? nullptr : m_top.front().get(); }
    bool Empty() const { return m_top.empty(); }

    // Every node in absolute-index order (parent before children, disc node 0).
    const std::vector<TreeNode *> &Nodes() const;
    size_t Count() const { return Nodes().size(); }
    TreeNode *NodeAt(size_t absoluteIndex) const;
    int AbsoluteIndex(const TreeNode *node) const;    // -1 when not in the tree

    // Changes that the view mirrors; each notifies only when something changed.
    void SetState(TreeNode &node, int state);
    void SetLabel(TreeNode &node, std::string label);
    void SetNodeBold(TreeNode *node, bool bold);                  // SetNodeBold: a missing node is ignored
    void SetExpanded(TreeNode &node, bool expanded);
    void SetExpandedAll(TreeNode &node, bool expanded);       // the node and all its descendants
    void Select(TreeNode *node);                              // the one selected node, or none
    TreeNode *Selected() const { return m_selected; }

private:
    void notifyChanged(TreeNode &node);

    std::vector<std::unique_ptr<TreeNode>> m_top;
    mutable std::vector<TreeNode *> m_order;
    mutable bool m_orderValid = true;
    TreeNode *m_selected = nullptr;
    Listener *m_listener = nullptr;
    int m_rebuilding = 0;
};

} // namespace pellavan
