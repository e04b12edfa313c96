#pragma once

#include <QDialog>

class Tfrmdvdlist : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmdvdlist(QWidget *parent = nullptr);
};

extern Tfrmdvdlist *frmdvdlist;
