// The main window's settings commands: loading and storing its part of the
// settings file, the profile box, the output folder and the settings dialogs.
#include "Unit1.h"

#include "catalogue/ChapterView.h"
#include "settings/CropState.h"
#include "settings/Profiles.h"
#include "settings/SettingsHost.h"
#include "settings/SettingsStore.h"
#include "settings/Unit5.h"
#include "settings/Unit7.h"
#include "settings/Unit8.h"
#include "settings/adv.h"
#include "widgets/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

using namespace pellavan;

// The filter lives with the Misc dialog, which exists only after this window;
// it starts holding off the screensaver once the option is loaded.
void Tfrmmain::InstallScreenSaverFilter() {}

void Tfrmmain::LoadMainSettings()
{
    // From now on the settings windows report through this window's boxes.
    QPointer<Tfrmmain> self(this);
    SetSettingsErrorHandler([self](QWidget *owner, const QString &text) {
        if (self)
            self->Prompts().ErrorBox(owner, text);
    });
    if (profilecom->count() == 0) // the box's items are the profile table's
        for (const Profile &p : Profiles())
            profilecom->addItem(QString::fromUtf8(p.text));
    const MainSettings s = pellavan::LoadMainSettings(SettingsPath());
    profilecom->setCurrentIndex(s.profile);
    c2pass->setChecked(s.twoPass);
    csingle->setChecked(s.single);
    previewcheck->setChecked(s.preview);
    Efolder->setText(QString::fromStdString(s.output));
    profilecomChange();
}

void Tfrmmain::SaveMainSettings()
{
    if (SettingsPath().empty())
        return;
    const MainSettings s{profilecom->currentIndex(), c2pass->isChecked(), csingle->isChecked(),
                         previewcheck->isChecked(), Efolder->text().toStdString()};
    // Reported, and the window closes all the same: a settings file that
    // cannot be written must not keep the program open.
    if (auto error = pellavan::SaveMainSettings(SettingsPath(), s))
        ReportSettingsError(this, *error);
}

void Tfrmmain::LoadMiscSettings()
{
    Form5->SetSettings(pellavan::LoadMiscSettings(SettingsPath()));
    frmcolor->SetSettings(pellavan::LoadColorSettings(SettingsPath()));
    Form5->ScreenSaver().SetRunning(true);
    // The Misc dialog's "Default" also resets "Show" and the output folder;
    // they reach the file with the main settings at close.  Runs once: the
    // loader runs at the first showing only.
    connect(Form5, &TForm5::DefaultsChosen, this, [this] {
        previewcheck->setChecked(true);
        Efolder->setText(QString::fromStdString(MiscDefaultOutputFolder()));
    });
}

void Tfrmmain::profilecomChange()
{
    frmadv->ApplyProfile(profilecom->currentIndex());
    profilecom->setToolTip(QString::fromStdString(frmadv->Settings().ProfileHint()));
}

void Tfrmmain::EfolderButtonClick()
{
    if (auto folder = BrowseOutputFolder(this, Efolder->text().toStdString()))
        Efolder->setText(QString::fromStdString(*folder));
}

void Tfrmmain::CropSettings1Click()
{
    auto *view = qobject_cast<ChapterView *>(chapterview);
    const DiscCatalogue *disc = view ? view->Catalogue() : nullptr;
    if (!disc)
        return;
    frmpre->CropSettings1Click(ConverterHandle, CropTitles(disc->info), PreviewDC, Prompts());
}

void Tfrmmain::AdvancedSettings1Click() { Prompts().ShowModal(Form5); }
void Tfrmmain::btnsettingClick() { Prompts().ShowModal(Form5); }
void Tfrmmain::ColorControl1Click() { Prompts().ShowModal(frmcolor); }
void Tfrmmain::btnproClick() { Prompts().ShowModal(frmadv); }
