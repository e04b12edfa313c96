// SPDX-License-Identifier: GPL-3.0-or-later
// TForm4: the About box.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);

    QLabel *Image1;
    QLabel *Label1;   // program name
    QLabel *Label2;   // version
    QLabel *Label3;   // what it does
    QPushButton *btnok;
};
