#include "Unit2.h"

Tfrmdvdlist *frmdvdlist = nullptr;

Tfrmdvdlist::Tfrmdvdlist(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select DVD to Convert"));
}
