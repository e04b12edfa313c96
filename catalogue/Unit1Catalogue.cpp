// The main window's disc commands: they forward to CatalogueCommands, which
// is made once the drive-choice and report dialogs exist.
#include "shell/Unit1.h"

#include "catalogue/CatalogueCommands.h"
#include "catalogue/DiscSourceDialog.h"
#include "catalogue/Unit2.h"
#include "catalogue/Unit3.h"
#include "platform/Drives.h"
#include "shell/CommandStates.h"
#include "shell/Prompts.h"
#include "widgets/BrambleForm.h"

#include <QLabel>

namespace {

pellavan::DriveSystem &MachineDrives()
{
    static pellavan::platform::LinuxDrives drives;
    return drives;
}

} // namespace

pellavan::CatalogueCommands &Tfrmmain::DiscCommands()
{
    if (!m_discCommands) {
        pellavan::CatalogueCommands::Host host;
        host.showStatus = [this](const QString &text) {
            statusinfo->setText(text);
            statusinfo->setToolTip(text);
        };
        host.setConvertEnabled = [this](bool on) { btnconvert->setEnabled(on); };
        host.enterDiscLoaded = [this] { SetDiscLoadedState(); };
        host.enterNoDisc = [this] { SetIdleState(); };
        host.showInformation = [this](const QString &text) { Prompts().Message(this, text); };
        host.chooseFolder = [this](const QString &title) { return pellavan::ChooseDiscSource(this, title); };
        host.execDialog = [this](QDialog &dialog) { return Prompts().ShowModal(&dialog); };
        host.createInstance = [this] { return CreateConverterInstance(); };
        m_discCommands = new pellavan::CatalogueCommands(Engine, ConverterHandle, Disc, *chapterview,
                                                         m_drives ? *m_drives : MachineDrives(), *frmdvdlist,
                                                         *Form3, std::move(host), this);
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
