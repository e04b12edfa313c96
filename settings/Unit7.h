#pragma once

#include <QDialog>

class Tfrmpre : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmpre(QWidget *parent = nullptr);
};

extern Tfrmpre *frmpre;
