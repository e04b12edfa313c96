// SPDX-License-Identifier: GPL-3.0-or-later
// "DVD Proptery": shows the property report of the loaded disc.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    // Replaces the text with these lines.
    void SetReport(const std::vector<std::string> &lines);

    QPlainTextEdit *dvdinfo = nullptr;
    QPushButton *okButton = nullptr;
};
