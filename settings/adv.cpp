#include "adv.h"

Tfrmadv *frmadv = nullptr;

Tfrmadv::Tfrmadv(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Advanced Settings"));
}
