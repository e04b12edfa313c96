#include "Unit8.h"

Tfrmcolor *frmcolor = nullptr;

Tfrmcolor::Tfrmcolor(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Color Control"));
}
