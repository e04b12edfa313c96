// SPDX-License-Identifier: GPL-3.0-or-later
#include "TitleTree.h"

#include <algorithm>

namespace pellavan {

int TreeNode::Position() const
{
    if (!parent)
        return 0;   // top-level nodes: the disc node is the only one
    const auto &sib = parent->children;
    for (size_t i = 0; i < sib.size(); ++i)
        if (sib[i].get() == this)
            return int(i);
    return -1;
}

TitleTree::~TitleTree()
{
    if (m_listener)
        m_listener->TreeDestroyed();
}

void TitleTree::BeginRebuild()
{
    if (m_rebuilding++ == 0 && m_listener)
        m_listener->TreeAboutToReset();
}

void TitleTree::EndRebuild()
{
    if (--m_rebuilding == 0 && m_listener)
        m_listener->TreeReset();
}

void TitleTree::Clear()
{
    BeginRebuild();
    m_top.clear();
    m_selected = nullptr;
    m_orderValid = false;
    EndRebuild();
}

TreeNode &TitleTree::Add(TreeNode *parent, std::string label, int level, int image, int state,
                         int32_t data, int32_t engineIndex)
{
    BeginRebuild();
    auto node = std::make_unique<TreeNode>();
    node->label = std::move(label);
    node->level = level;
    node->imageIndex = image;
    node->state = state;
    node->data = data;
    node->engineIndex = engineIndex;
    node->parent = parent;
    TreeNode &ref = *node;
    (parent ? parent->children : m_top).push_back(std::move(node));
    m_orderValid = false;
    EndRebuild();
    return ref;
}

void TitleTree::Remove(TreeNode &node)
{
    BeginRebuild();
    auto &list = node.parent ? node.parent->children : m_top;
    // Forget the selection if it lies in the removed branch.
    for (TreeNode *n = m_selected; n; n = n->parent)
        if (n == &node) {
            m_selected = nullptr;
            break;
        }
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const std::unique_ptr<TreeNode> &p) { return p.get() == &node; }),
               list.end());
    m_orderValid = false;
    EndRebuild();
}

const std::vector<TreeNode *> &TitleTree::Nodes() const
{
    if (!m_orderValid) {
        m_order.clear();
        // Iterative parent-before-children walk: deep trees must not use the stack.
        std::vector<TreeNode *> stack;
        for (auto it = m_top.rbegin(); it != m_top.rend(); ++it)
            stack.push_back(it->get());
        while (!stack.empty()) {
            TreeNode *n = stack.back();
            stack.pop_back();
            n->absoluteIndex = int(m_order.size());
            m_order.push_back(n);
            for (auto it = n->children.rbegin(); it != n->children.rend(); ++it)
                stack.push_back(it->get());
        }
        m_orderValid = true;
    }
    return m_order;
}

TreeNode *TitleTree::NodeAt(size_t absoluteIndex) const
{
    const auto &all = Nodes();
    return absoluteIndex < all.size() ? all[absoluteIndex] : nullptr;
}

int TitleTree::AbsoluteIndex(const TreeNode *node) const
{
    const auto &all = Nodes();
    if (!node || node->absoluteIndex < 0 || size_t(node->absoluteIndex) >= all.size() ||
        all[size_t(node->absoluteIndex)] != node)
        return -1;
    return node->absoluteIndex;
}

void TitleTree::notifyChanged(TreeNode &node)
{
    if (m_listener && m_rebuilding == 0)
        m_listener->NodeChanged(node);
}

void TitleTree::SetState(TreeNode &node, int state)
{
    if (node.state == state)
        return;
    node.state = state;
    notifyChanged(node);
}

void TitleTree::SetLabel(TreeNode &node, std::string label)
{
    if (node.label == label)
        return;
    node.label = std::move(label);
    notifyChanged(node);
}

void TitleTree::SetNodeBold(TreeNode *node, bool bold)
{
    if (!node || node->bold == bold)
        return;
    node->bold = bold;
    notifyChanged(*node);
}

void TitleTree::SetExpanded(TreeNode &node, bool expanded)
{
    // Only a node with children can be open.
    if (node.expanded == expanded || (expanded && node.children.empty()))
        return;
    node.expanded = expanded;
    if (m_listener && m_rebuilding == 0)
        m_listener->NodeExpandedChanged(node);
}

void TitleTree::SetExpandedAll(TreeNode &node, bool expanded)
{
    // Parents first when opening, children first when closing, as a view does.
    if (expanded)
        SetExpanded(node, true);
    for (auto &c : node.children)
        SetExpandedAll(*c, expanded);
    if (!expanded)
        SetExpanded(node, false);
}

void TitleTree::Select(TreeNode *node)
{
    if (m_selected == node)
        return;
    TreeNode *old = m_selected;
    m_selected = node;
    if (old) {
        old->selected = false;
        notifyChanged(*old);
    }
    if (node) {
        node->selected = true;
        notifyChanged(*node);
    }
}

} // namespace pellavan
