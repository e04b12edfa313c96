// The main window's settings commands: loading and storing its part of the
// settings file, the profile box, the output folder and the crop command.
#include "shell/Unit1.h"

#include "CropState.h"
#include "Profiles.h"
#include "SettingsHost.h"
#include "SettingsStore.h"
#include "Unit5.h"
#include "Unit7.h"
#include "Unit8.h"
#include "adv.h"
#include "catalogue/ChapterView.h"
#include "shell/Prompts.h"

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
    const std::vector<CropTitle> titles = CropTitles(disc->info);
    if (!frmpre->BeginPreview(ConverterHandle, titles, PreviewDC))
        return;
    Prompts().ShowModal(frmpre);
    frmpre->EndPreview();
}
