// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramWindows.h"

#include "catalogue/Unit2.h"
#include "catalogue/Unit3.h"
#include "settings/Unit5.h"
#include "settings/Unit7.h"
#include "settings/Unit8.h"
#include "settings/adv.h"
#include "shell/Unit1.h"
#include "shell/Unit4.h"
#include "widgets/Skin.h"

#include <QApplication>

namespace pellavan {

void SetUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Pellavan"));
    qApp->setStyleSheet(SkinStyleSheet());
}

// The members are made in the order they are declared: the creation order.
ProgramWindows::ProgramWindows(const MainWindowServices &services)
    : frmmain(*new Tfrmmain(services)),
      frmdvdlist(*new Tfrmdvdlist(&frmmain)),
      frmadv(*new Tfrmadv(&frmmain)),
      Form3(*new TForm3(&frmmain)),
      Form4(*new TForm4(&frmmain)),
      frmcolor(*new Tfrmcolor(frmmain.SettingsEnv(), &frmmain)),
      Form5(*new TForm5(frmmain.SettingsEnv(), &frmmain)),
      frmpre(*new Tfrmpre(&frmmain))
{
    frmmain.UseWindows(*this);
}

ProgramWindows::~ProgramWindows()
{
    delete &frmpre;
    delete &Form5;
    delete &frmcolor;
    delete &Form4;
    delete &Form3;
    delete &frmadv;
    delete &frmdvdlist;
    delete &frmmain;
}

} // namespace pellavan
