#include "Unit7.h"

Tfrmpre *frmpre = nullptr;

Tfrmpre::Tfrmpre(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Crop image settings"));
}
