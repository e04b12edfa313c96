// SPDX-License-Identifier: GPL-3.0-or-later
// "Select DVD to Convert": lists the drives that hold a video DVD and loads
// the chosen one on "&OK".
#pragma once

#include "DriveList.h"

#include <QDialog>
#include <functional>

class QPushButton;
class QTreeWidget;

class Tfrmdvdlist : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmdvdlist(QWidget *parent = nullptr);

    // Called by "&OK" with the chosen row's root and disc name.
    std::function<void(const std::string &root, const std::string &name)> loadRow;

    void Fill(const std::vector<pellavan::DvdRow> &rows);
    void spSkinButton1Click();

    QTreeWidget *dvdlist = nullptr;
    QPushButton *spSkinButton1 = nullptr;
};
