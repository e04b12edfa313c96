// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunWindow.h"

#include "run/CaptureBitmap.h"
#include "settings/Unit5.h"
#include "settings/Unit7.h"
#include "settings/Unit8.h"
#include "settings/adv.h"
#include "widgets/Prompts.h"
#include "ProgramWindows.h"
#include "Unit1.h"
#include "widgets/BrambleForm.h"
#include "widgets/EnginePicture.h"
#include "widgets/NoticeStrip.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QTimer>

namespace pellavan {

namespace {

QString Q(const std::string &s) { return QString::fromStdString(s); }

} // namespace

RunWindow::RunWindow(ProgramWindows &windows, DiscCatalogue &disc, PowerControl *power)
    : m_windows(windows),
      m_w(windows.frmmain),
      m_ownPower(power ? nullptr : CreateLogindPowerControl()),
      m_run(RunContext{m_w.ConverterHandle, disc, [this] { return ReadJobSettings(); },
                       power ? *power : *m_ownPower, m_w.PreviewDC},
            *this)
{
}

RunWindow::~RunWindow() = default;

JobSettings RunWindow::ReadJobSettings() const
{
    JobSettings s;
    s.profile = m_w.profilecom->currentIndex();
    s.adv = m_windows.frmadv.Settings();
    s.color = m_windows.frmcolor.Settings();
    s.crop = m_windows.frmpre.Margins();
    s.twoPass = m_w.c2pass->isChecked();
    s.merge = m_w.csingle->isChecked();
    s.outputFolder = m_w.Efolder->text().toStdString();
    return s;
}

void RunWindow::SetStatus(const std::string &text) { m_w.statusinfo->setText(Q(text)); }
void RunWindow::SetStatusHint(const std::string &text)
{
    m_w.statusinfo->setToolTip(Q(text));
    m_w.noticestrip->ShowNotice(Q(text));
}
void RunWindow::SetProgress(int percent) { m_w.spSkinGauge1->setValue(percent); }
void RunWindow::SetProgressText(const std::string &text)
{
    m_w.spSkinGauge1->setFormat(Q(text) + QStringLiteral("%p%"));
}
void RunWindow::SetSpeed(const std::string &text) { m_w.convertinfo->setText(Q(text)); }
void RunWindow::SetElapsed(const std::string &text) { m_w.Timeinfo->setText(Q(text)); }
bool RunWindow::TimerEnabled() const { return m_w.Timer1->isActive(); }
void RunWindow::SetTimerEnabled(bool on)
{
    if (on)
        m_w.Timer1->start();
    else
        m_w.Timer1->stop();
}
bool RunWindow::ShowChecked() const { return m_w.previewcheck->isChecked(); }

void RunWindow::ShowPreview(PicturePtr picture)
{
    const QImage frame = PictureImage(picture.get());
    if (!frame.isNull())
        m_w.Image1->setPixmap(QPixmap::fromImage(frame));
}

void RunWindow::ShowIdlePicture() { m_w.LoadSkinPicture(); }

std::string RunWindow::SaveCapture(const std::string &path, int width, int height)
{
    return SaveCaptureBitmap(m_w.Image1->pixmap().toImage(), width, height, path);
}

void RunWindow::ShowError(const std::string &text) { ShowErrorBox(m_w.Prompts(), &m_w, Q(text)); }
void RunWindow::ShowMessage(const std::string &text) { m_w.Prompts().Message(&m_w, Q(text)); }

void RunWindow::SetCaptureEnabled(bool on)
{
    m_w.btncapture->setEnabled(on);
    m_w.Capture1->setEnabled(on);
}

void RunWindow::EnterConvertingState() { m_w.SetConvertingState(); }
void RunWindow::EnterPausedState() { m_w.ApplyCommandState(CommandState::Paused); }

void RunWindow::LeaveConvertingState()
{
    m_w.SetDiscLoadedState();
    ShowIdlePicture();
}

bool RunWindow::OpenFolderWhenDone() const { return m_windows.Form5.copen->isChecked(); }
bool RunWindow::ShutdownWhenDone() const { return m_windows.Form5.cshut->isChecked(); }

void RunWindow::ClearShutdownWhenDone()
{
    m_windows.Form5.cshut->setChecked(false);
    // Stored at once, so a restart does not bring back a power-off the Stop took away.
    m_windows.Form5.SaveMiscSettings();
}

void RunWindow::OpenOutputFolder() { m_w.GotoOutPutFolder1Click(); }

} // namespace pellavan
