// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's command states: the table applied to its controls, the
// idle state's text and picture.
#include "Unit1.h"

#include "settings/Unit5.h"
#include "shell/ProgramWindows.h"
#include "widgets/BrambleForm.h"
#include "widgets/JpegPicture.h"
#include "widgets/Prompts.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>

using namespace pellavan;

// ---- command states -------------------------------------------------------

// No default: a control of the table without its member here does not compile.
template <class F> void Tfrmmain::WithControl(CommandControl control, F &&f) const
{
    using C = CommandControl;
    switch (control) {
    case C::btnopen: return f(btnopen);
    case C::Open1: return f(Open1);
    case C::OpenDVDFolder1: return f(OpenDVDFolder1);
    case C::btnproperty: return f(btnproperty);
    case C::DVDProperty1: return f(DVDProperty1);
    case C::btnselectall: return f(btnselectall);
    case C::SelectAllItems1: return f(SelectAllItems1);
    case C::UnSelectAllItems1: return f(UnSelectAllItems1);
    case C::btnsetting: return f(btnsetting);
    case C::AdvancedSettings1: return f(AdvancedSettings1);
    case C::CropSettings1: return f(CropSettings1);
    case C::ColorControl1: return f(ColorControl1);
    case C::SetoutputFolder1: return f(SetoutputFolder1);
    case C::GotoOutPutFolder1: return f(GotoOutPutFolder1);
    case C::spSkinButton2: return f(spSkinButton2);
    case C::btnhelp: return f(btnhelp);
    case C::HelpDocument1: return f(HelpDocument1);
    case C::Support1: return f(Support1);
    case C::Home1: return f(Home1);
    case C::About1: return f(About1);
    case C::Exit1: return f(Exit1);
    case C::previewcheck: return f(previewcheck);
    case C::chapterview: return f(chapterview);
    case C::profilecom: return f(profilecom);
    case C::Efolder: return f(Efolder);
    case C::c2pass: return f(c2pass);
    case C::csingle: return f(csingle);
    case C::btnpro: return f(btnpro);
    case C::btnconvert: return f(btnconvert);
    case C::btnabort: return f(btnabort);
    case C::btnpause: return f(btnpause);
    case C::Pause1: return f(Pause1);
    case C::remuse1: return f(remuse1);
    case C::btncapture: return f(btncapture);
    case C::Capture1: return f(Capture1);
    }
}

QObject *Tfrmmain::Control(CommandControl control) const
{
    QObject *found = nullptr;
    WithControl(control, [&](QObject *o) { found = o; });
    return found;
}

namespace {
template <class T> void ApplyCell(T *control, StateCell cell)
{
    if (cell.visible != Switch::Keep)
        control->setVisible(cell.visible == Switch::On);
    if (cell.enabled != Switch::Keep)
        control->setEnabled(cell.enabled == Switch::On);
}
} // namespace

void Tfrmmain::ApplyCommandState(CommandState state)
{
    if (m_windows)
        m_windows->Form5.ScreenSaver().SetActivity(ActivityText(state));
    for (const CommandRow &row : CommandStateTable()) {
        const StateCell cell = row.cells[size_t(state)];
        for (CommandControl c : row.controls())
            WithControl(c, [cell](auto *control) { ApplyCell(control, cell); });
    }
}

void Tfrmmain::SetIdleState()
{
    ApplyCommandState(CommandState::Idle);
    // A missing or broken picture must not keep the window from its idle
    // state: finish first, then say what is wrong.
    QString error;
    const bool pictureOk = LoadSkinPicture(&error);
    statusinfo->setText(QString::fromLatin1(kWelcomeText));
    if (!pictureOk)
        ShowErrorBox(m_prompts, this, error);
}

void Tfrmmain::SetDiscLoadedState() { ApplyCommandState(CommandState::DiscLoaded); }
void Tfrmmain::SetConvertingState() { ApplyCommandState(CommandState::Converting); }

bool Tfrmmain::LoadSkinPicture(QString *error)
{
    const QString path = SkinPath + QStringLiteral("zune.jpg");
    QString why;
    const QImage image = LoadJpegFile(path, &why);
    if (image.isNull()) {
        Image1->clear();
        if (error)
            *error = QStringLiteral("Cannot load picture %1: %2").arg(path, why);
        return false;
    }
    Image1->setPixmap(QPixmap::fromImage(image));
    return true;
}
