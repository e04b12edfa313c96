#pragma once

#include <QDialog>

class Tfrmcolor : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmcolor(QWidget *parent = nullptr);
};

extern Tfrmcolor *frmcolor;
