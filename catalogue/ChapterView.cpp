// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChapterView.h"

#include "TreePictures.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace pellavan {

namespace {

constexpr int LeftPad = 2;
constexpr int TextGap = 3;

QString Label(const TreeNode &n) { return QString::fromUtf8(n.label.data(), qsizetype(n.label.size())); }

QFont NodeFont(QFont f, const TreeNode &n)
{
    f.setBold(n.bold);
    return f;
}

// Where the parts of a node sit inside its row rectangle.
struct NodeLayout {
    QRect checkBox;   // empty when the node has no check state
    QRect picture;
    QRect text;
};

NodeLayout LayoutOf(const TreeNode &n, const QRect &row, const QFont &font)
{
    NodeLayout l;
    int x = row.left() + LeftPad;
    auto centred = [&](int h) { return row.top() + (row.height() - h) / 2; };
    if (n.state != StateNone) {
        l.checkBox = QRect(x, centred(StatePictureSize), StatePictureSize, StatePictureSize);
        x += StatePictureSize;
    }
    l.picture = QRect(x, centred(NodePictureHeight), NodePictureWidth, NodePictureHeight);
    x += NodePictureWidth + TextGap;
    int w = QFontMetrics(NodeFont(font, n)).horizontalAdvance(Label(n)) + 4;
    l.text = QRect(x, row.top(), w, row.height());
    return l;
}

class NodeDelegate final : public QStyledItemDelegate {
public:
    explicit NodeDelegate(ChapterView *view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const TreeNode *n = TitleTreeModel::NodeOf(index);
        if (!n)
            return;
        NodeLayout l = LayoutOf(*n, option.rect, option.font);
        p->save();
        if (option.state & QStyle::State_Selected)
            p->fillRect(option.rect, option.palette.highlight());
        if (!l.checkBox.isEmpty() && n->state >= 1 && n->state <= 6)
            p->drawPixmap(l.checkBox.topLeft(), m_view->StatePictures()[n->state - 1]);
        if (n->imageIndex >= 0 && n->imageIndex < m_view->NodePictures().size())
            p->drawPixmap(l.picture.topLeft(), m_view->NodePictures()[n->imageIndex]);
        p->setFont(NodeFont(option.font, *n));
        p->setPen(option.state & QStyle::State_Selected ? option.palette.highlightedText().color()
                                                        : option.palette.text().color());
        p->drawText(l.text.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, Label(*n));
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const TreeNode *n = TitleTreeModel::NodeOf(index);
        int h = std::max(StatePictureSize + 1, QFontMetrics(option.font).height() + 2);
        if (!n)
            return {0, h};
        NodeLayout l = LayoutOf(*n, QRect(0, 0, 0, h), option.font);
        return {l.text.right() + 1, h};
    }

    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override
    {
        const TreeNode *n = TitleTreeModel::NodeOf(index);
        if (!n)
            return;
        QRect text = LayoutOf(*n, option.rect, option.font).text;
        text.setRight(std::max(text.right(), option.rect.right()));
        editor->setGeometry(text);
    }

private:
    ChapterView *m_view;
};

} // namespace

// ---- model -----------------------------------------------------------------

TitleTreeModel::TitleTreeModel(QObject *parent) : QAbstractItemModel(parent) {}

TitleTreeModel::~TitleTreeModel()
{
    if (m_tree)
        m_tree->SetListener(nullptr);
}

void TitleTreeModel::SetTree(TitleTree *tree)
{
    beginResetModel();
    if (m_tree)
        m_tree->SetListener(nullptr);
    m_tree = tree;
    if (m_tree)
        m_tree->SetListener(this);
    endResetModel();
    emit treeReset();
}

TreeNode *TitleTreeModel::NodeOf(const QModelIndex &index)
{
    return index.isValid() ? static_cast<TreeNode *>(index.internalPointer()) : nullptr;
}

QModelIndex TitleTreeModel::IndexOf(const TreeNode *node) const
{
    if (!node || !m_tree)
        return {};
    return createIndex(node->Position(), 0, const_cast<TreeNode *>(node));
}

QModelIndex TitleTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!m_tree || column != 0 || row < 0)
        return {};
    const auto &list = parent.isValid() ? NodeOf(parent)->children : m_tree->TopNodes();
    if (size_t(row) >= list.size())
        return {};
    return createIndex(row, 0, list[size_t(row)].get());
}

QModelIndex TitleTreeModel::parent(const QModelIndex &child) const
{
    TreeNode *n = NodeOf(child);
    return n && n->parent ? IndexOf(n->parent) : QModelIndex();
}

int TitleTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!m_tree || parent.column() > 0)
        return 0;
    return int(parent.isValid() ? NodeOf(parent)->children.size() : m_tree->TopNodes().size());
}

int TitleTreeModel::columnCount(const QModelIndex &) const { return 1; }

QVariant TitleTreeModel::data(const QModelIndex &index, int role) const
{
    const TreeNode *n = NodeOf(index);
    if (!n)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return Label(*n);
    default: return {};
    }
}

bool TitleTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    TreeNode *n = NodeOf(index);
    if (!n || !m_tree || role != Qt::EditRole || !CanEditLabel(*n))
        return false;
    QByteArray typed = value.toString().toUtf8();
    m_tree->SetLabel(*n, EditedLabel(*n, std::string(typed.constData(), size_t(typed.size()))));
    emit labelEdited(Label(*n));
    return true;
}

Qt::ItemFlags TitleTreeModel::flags(const QModelIndex &index) const
{
    const TreeNode *n = NodeOf(index);
    if (!n)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (CanEditLabel(*n))
        f |= Qt::ItemIsEditable;
    return f;
}

void TitleTreeModel::TreeAboutToReset() { beginResetModel(); }

void TitleTreeModel::TreeReset()
{
    endResetModel();
    emit treeReset();
}

void TitleTreeModel::NodeChanged(TreeNode &node)
{
    QModelIndex i = IndexOf(&node);
    emit dataChanged(i, i);
}

void TitleTreeModel::NodeExpandedChanged(TreeNode &node) { emit expandedChanged(IndexOf(&node), node.expanded); }

void TitleTreeModel::TreeDestroyed()
{
    beginResetModel();
    m_tree = nullptr;
    endResetModel();
}

// ---- view ------------------------------------------------------------------

ChapterView::ChapterView(QWidget *parent) : QTreeView(parent), m_model(new TitleTreeModel(this))
{
    for (int s = StateUnchecked; s <= StateCheckedPressed; ++s)
        m_states.push_back(StatePicture(s));
    for (int i = 0; i < ImageCount; ++i)
        m_images.push_back(NodePicture(i));

    setModel(m_model);
    setItemDelegate(new NodeDelegate(this));
    setHeaderHidden(true);
    setIndentation(26);
    setRootIsDecorated(false);   // no expand button at the disc level
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setUniformRowHeights(true);
    setMouseTracking(true);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);

    connect(this, &QTreeView::expanded, this, &ChapterView::chapterviewExpanded);
    connect(this, &QTreeView::collapsed, this, &ChapterView::onCollapsed);
    connect(m_model, &TitleTreeModel::treeReset, this, &ChapterView::syncFromModel);
    connect(m_model, &TitleTreeModel::labelEdited, this, &ChapterView::chapterviewEdited);
    connect(m_model, &TitleTreeModel::expandedChanged, this, [this](const QModelIndex &i, bool open) {
        if (i.isValid() && isExpanded(i) != open)
            setExpanded(i, open);
    });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { onCurrentChanged(current); });
}

void ChapterView::SetCatalogue(DiscCatalogue *disc)
{
    m_disc = disc;
    m_model->SetTree(disc ? &disc->tree : nullptr);
}

void ChapterView::syncFromModel()
{
    TitleTree *tree = m_model->Tree();
    if (!tree)
        return;
    m_syncing = true;
    for (TreeNode *n : tree->Nodes())
        if (n->HasChildren())
            setExpanded(m_model->IndexOf(n), n->expanded);
    QModelIndex cur = m_model->IndexOf(tree->Selected());
    if (cur.isValid())
        setCurrentIndex(cur);
    else
        selectionModel()->clear();
    m_syncing = false;
}

void ChapterView::chapterviewExpanded(const QModelIndex &index)
{
    TreeNode *n = TitleTreeModel::NodeOf(index);
    TitleTree *tree = m_model->Tree();
    if (!n || !tree)
        return;
    tree->SetExpanded(*n, true);
    // chapterviewExpanded: opening a title opens its stream groups too.
    ExpandStreamGroups(*tree, *n);
}

void ChapterView::onCollapsed(const QModelIndex &index)
{
    TreeNode *n = TitleTreeModel::NodeOf(index);
    if (n && m_model->Tree())
        m_model->Tree()->SetExpanded(*n, false);
}

void ChapterView::onCurrentChanged(const QModelIndex &current)
{
    if (!m_syncing && m_model->Tree())
        m_model->Tree()->Select(TitleTreeModel::NodeOf(current));
}

QRect ChapterView::CheckBoxRect(const TreeNode &node) const
{
    QModelIndex i = m_model->IndexOf(&node);
    if (!i.isValid())
        return {};
    return LayoutOf(node, visualRect(i), font()).checkBox;
}

TreeHit ChapterView::HitAt(const QPoint &pos) const
{
    QModelIndex i = indexAt(pos);
    TreeNode *n = TitleTreeModel::NodeOf(i);
    if (!n)
        return {};
    NodeLayout l = LayoutOf(*n, visualRect(i), font());
    if (l.checkBox.contains(pos))
        return {n, HitPart::CheckBox};
    if (pos.x() >= l.picture.left() && pos.x() <= l.text.right())
        return {n, HitPart::Node};
    return {};
}

void ChapterView::EditDiscName()
{
    if (m_disc && m_disc->tree.DiscNode())
        edit(m_model->IndexOf(m_disc->tree.DiscNode()));
}

void ChapterView::mousePressEvent(QMouseEvent *event)
{
    TreeHit hit = HitAt(event->position().toPoint());
    emit chapterviewMouseDown(hit, event->buttons());
    // A press on a check box only changes its look; it neither selects nor edits.
    if (hit.part != HitPart::CheckBox)
        QTreeView::mousePressEvent(event);
}

void ChapterView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is still a press for the check boxes.
    TreeHit hit = HitAt(event->position().toPoint());
    emit chapterviewMouseDown(hit, event->buttons());
    if (hit.part != HitPart::CheckBox)
        QTreeView::mouseDoubleClickEvent(event);
}

void ChapterView::mouseReleaseEvent(QMouseEvent *event)
{
    TreeHit hit = HitAt(event->position().toPoint());
    emit chapterviewMouseUp(hit, event->buttons());
    QTreeView::mouseReleaseEvent(event);
}

void ChapterView::mouseMoveEvent(QMouseEvent *event)
{
    emit chapterviewMouseMove(HitAt(event->position().toPoint()), event->buttons());
    QTreeView::mouseMoveEvent(event);
}

} // namespace pellavan
