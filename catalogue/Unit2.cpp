// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unit2.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

Tfrmdvdlist::Tfrmdvdlist(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select DVD to Convert"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(356, 199);

    dvdlist = new QTreeWidget(this);
    dvdlist->setObjectName(QStringLiteral("dvdlist"));
    dvdlist->setGeometry(0, 0, 356, 150);
    dvdlist->setColumnCount(3);
    dvdlist->setHeaderLabels({QStringLiteral("DVD Drive"), QStringLiteral("DVD Volume"), QStringLiteral("DVD Serial")});
    dvdlist->setColumnWidth(0, 100);
    dvdlist->setColumnWidth(1, 150);
    dvdlist->setColumnWidth(2, 100);
    dvdlist->setRootIsDecorated(false);
    dvdlist->setItemsExpandable(false);
    dvdlist->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dvdlist->setSelectionBehavior(QAbstractItemView::SelectRows);
    dvdlist->setSelectionMode(QAbstractItemView::SingleSelection);
    dvdlist->setExpandsOnDoubleClick(false);

    spSkinButton1 = new QPushButton(QStringLiteral("&OK"), this);
    spSkinButton1->setObjectName(QStringLiteral("spSkinButton1"));
    spSkinButton1->setGeometry(264, 160, 81, 25);
    connect(spSkinButton1, &QPushButton::clicked, this, &Tfrmdvdlist::spSkinButton1Click);
}

void Tfrmdvdlist::Fill(const std::vector<pellavan::DvdRow> &rows)
{
    dvdlist->clear();
    for (const auto &r : rows) {
        auto *item = new QTreeWidgetItem(dvdlist);
        item->setText(0, QString::fromStdString(r.root));
        item->setText(1, QString::fromStdString(r.volume));
        item->setText(2, QString::fromStdString(r.serial));
    }
}

void Tfrmdvdlist::spSkinButton1Click()
{
    QTreeWidgetItem *row = dvdlist->currentItem();
    if (!row || !row->isSelected())
        row = dvdlist->topLevelItem(0);
    if (row && loadRow) {
        QByteArray root = row->text(0).toUtf8(), name = row->text(1).toUtf8();
        loadRow(root.toStdString(), name.toStdString());
    }
    accept();
}
