#pragma once

#include <QDialog>

class Tfrmadv : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmadv(QWidget *parent = nullptr);
};

extern Tfrmadv *frmadv;
