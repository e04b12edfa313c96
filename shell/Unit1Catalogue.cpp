// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's disc commands: they forward to CatalogueCommands, which
// is made once the drive-choice and report dialogs exist, and this window
// shows for them what CatalogueView asks.
#include "Unit1.h"

#include "catalogue/CatalogueCommands.h"
#include "catalogue/Unit2.h"
#include "catalogue/Unit3.h"
#include "shell/ProgramWindows.h"
#include "widgets/BrambleForm.h"
#include "widgets/NoticeStrip.h"
#include "widgets/Prompts.h"

#include <QLabel>

namespace {

class MainCatalogueView final : public pellavan::CatalogueView {
public:
    explicit MainCatalogueView(Tfrmmain &window) : m_w(window) {}
    void ShowStatus(const QString &text) override
    {
        m_w.statusinfo->setText(text);
        m_w.statusinfo->setToolTip(text);
    }
    void SetConvertEnabled(bool on) override { m_w.btnconvert->setEnabled(on); }
    void EnterDiscLoaded() override { m_w.SetDiscLoadedState(); }
    void EnterNoDisc() override { m_w.SetIdleState(); }
    void ShowNotice(const QString &text) override { m_w.noticestrip->ShowNotice(text); }
    void ShowInformation(const QString &text) override { m_w.Prompts().Message(&m_w, text); }
    QString ChooseFolder(const QString &title) override { return m_w.Prompts().ChooseDiscSource(&m_w, title); }
    int ExecDialog(QDialog &dialog) override { return m_w.Prompts().ShowModal(&dialog); }

private:
    Tfrmmain &m_w;
};

} // namespace

pellavan::CatalogueCommands &Tfrmmain::DiscCommands()
{
    if (!m_discCommands) {
        m_discView = std::make_unique<MainCatalogueView>(*this);
        m_discCommands = new pellavan::CatalogueCommands(ConverterHandle, Disc, *chapterview, m_drives,
                                                         Windows().frmdvdlist, Windows().Form3, *m_discView, this);
    }
    return *m_discCommands;
}

void Tfrmmain::Open1Click()
{
    pellavan::CatalogueCommands &c = DiscCommands();
    c.Open1Click();
    DriveList.clear();
    for (const std::string &d : c.DriveList())
        DriveList << QString::fromStdString(d);
}

void Tfrmmain::OpenDVDFolder1Click() { DiscCommands().OpenDVDFolder1Click(); }
void Tfrmmain::SelectAllItems1Click() { DiscCommands().SelectAllItems1Click(); }
void Tfrmmain::UnSelectAllItems1Click() { DiscCommands().UnSelectAllItems1Click(); }
void Tfrmmain::DVDProperty1Click() { DiscCommands().DVDProperty1Click(); }
