#include "Windows.h"

#include "catalogue/Unit2.h"
#include "catalogue/Unit3.h"
#include "settings/Unit5.h"
#include "settings/Unit7.h"
#include "settings/Unit8.h"
#include "settings/adv.h"
#include "shell/Unit1.h"
#include "widgets/ErrorText.h"
#include "shell/Unit4.h"
#include "widgets/Skin.h"

#include <QApplication>

namespace pellavan {

void SetUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Pellavan"));
    qApp->setStyleSheet(SkinStyleSheet());
}

void CreateAllWindows(const MainWindowServices &services)
{
    frmmain = new Tfrmmain(services);
    frmdvdlist = new Tfrmdvdlist(frmmain);
    frmadv = new Tfrmadv(frmmain);
    Form3 = new TForm3(frmmain);
    Form4 = new TForm4(frmmain);
    frmcolor = new Tfrmcolor(frmmain);
    Form5 = new TForm5(frmmain);
    frmpre = new Tfrmpre(frmmain);
}

namespace {
template <class T> void Free(T *&window)
{
    delete window;
    window = nullptr;
}
} // namespace

void DestroyAllWindows()
{
    Free(frmpre);
    Free(Form5);
    Free(frmcolor);
    Free(Form4);
    Free(Form3);
    Free(frmadv);
    Free(frmdvdlist);
    Free(frmmain);
}

} // namespace pellavan
