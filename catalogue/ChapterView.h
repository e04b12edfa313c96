// SPDX-License-Identifier: GPL-3.0-or-later
// `chapterview`: a tree view over the catalogue's TitleTree.  It draws the
// check-box state and node pictures, tells the check box from the rest of a
// node for pointer events, keeps open/closed and the selected node in step
// with the model, and lets only the disc name be edited in place.
#pragma once

#include "Catalogue.h"
#include "TreeRules.h"

#include <QAbstractItemModel>
#include <QTreeView>
#include <QVector>

namespace pellavan {

class TitleTreeModel final : public QAbstractItemModel, public TitleTree::Listener {
    Q_OBJECT
public:
    explicit TitleTreeModel(QObject *parent = nullptr);
    ~TitleTreeModel() override;

    void SetTree(TitleTree *tree);
    TitleTree *Tree() const { return m_tree; }
    QModelIndex IndexOf(const TreeNode *node) const;
    static TreeNode *NodeOf(const QModelIndex &index);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void expandedChanged(const QModelIndex &index, bool expanded);
    void treeReset();
    void labelEdited(const QString &label);

private:
    void TreeAboutToReset() override;
    void TreeReset() override;
    void NodeChanged(TreeNode &node) override;
    void NodeExpandedChanged(TreeNode &node) override;
    void TreeDestroyed() override;

    TitleTree *m_tree = nullptr;
};

class ChapterView final : public QTreeView {
    Q_OBJECT
public:
    explicit ChapterView(QWidget *parent = nullptr);

    void SetCatalogue(DiscCatalogue *disc);
    DiscCatalogue *Catalogue() const { return m_disc; }
    TitleTreeModel *TreeModel() const { return m_model; }

    // What lies under a point of the viewport.
    TreeHit HitAt(const QPoint &viewportPos) const;
    // Where a node's check box is drawn, in viewport coordinates (empty when none).
    QRect CheckBoxRect(const TreeNode &node) const;
    // Opens the in-place editor on the disc node.
    void EditDiscName();

    const QVector<QPixmap> &StatePictures() const { return m_states; }
    const QVector<QPixmap> &NodePictures() const { return m_images; }

signals:
    // The pointer events of the tree, with what lies under the pointer and
    // the buttons held after the event.
    void chapterviewMouseDown(const pellavan::TreeHit &hit, Qt::MouseButtons buttons);
    void chapterviewMouseUp(const pellavan::TreeHit &hit, Qt::MouseButtons buttons);
    void chapterviewMouseMove(const pellavan::TreeHit &hit, Qt::MouseButtons buttons);
    // The disc name after an in-place edit.
    void chapterviewEdited(const QString &name);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void syncFromModel();
    void chapterviewExpanded(const QModelIndex &index);
    void onCollapsed(const QModelIndex &index);
    void onCurrentChanged(const QModelIndex &current);

    DiscCatalogue *m_disc = nullptr;
    TitleTreeModel *m_model = nullptr;
    QVector<QPixmap> m_states;
    QVector<QPixmap> m_images;
    bool m_syncing = false;
};

} // namespace pellavan
