// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's settings commands: loading and storing its part of the
// settings file, the profile box, the output folder and the settings dialogs.
#include "Unit1.h"

#include "catalogue/ChapterView.h"
#include "settings/CropState.h"
#include "settings/Profiles.h"
#include "settings/SettingsStore.h"
#include "settings/Unit5.h"
#include "settings/Unit7.h"
#include "settings/Unit8.h"
#include "settings/adv.h"
#include "shell/ProgramWindows.h"
#include "widgets/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

using namespace pellavan;

// The filter lives with the Misc dialog, which exists only after this window;
// it starts holding off the screensaver once the option is loaded.
void Tfrmmain::InstallScreenSaverFilter() {}

void Tfrmmain::LoadMainSettings()
{
    if (profilecom->count() == 0) // the box's items are the profile table's
        for (const Profile &p : Profiles())
            profilecom->addItem(QString::fromUtf8(p.text));
    const MainSettings s = pellavan::LoadMainSettings(m_settings.path);
    profilecom->setCurrentIndex(s.profile);
    c2pass->setChecked(s.twoPass);
    csingle->setChecked(s.single);
    previewcheck->setChecked(s.preview);
    Efolder->setText(QString::fromStdString(s.output));
    profilecomChange();
}

void Tfrmmain::SaveMainSettings()
{
    if (m_settings.path.empty())
        return;
    const MainSettings s{profilecom->currentIndex(), c2pass->isChecked(), csingle->isChecked(),
                         previewcheck->isChecked(), Efolder->text().toStdString()};
    // Reported, and the window closes all the same: a settings file that
    // cannot be written must not keep the program open.
    if (auto error = pellavan::SaveMainSettings(m_settings.path, s))
        ReportSettingsError(m_settings, this, *error);
}

void Tfrmmain::LoadMiscSettings()
{
    TForm5 &Form5 = Windows().Form5;
    Form5.SetSettings(pellavan::LoadMiscSettings(m_settings.path));
    Windows().frmcolor.SetSettings(pellavan::LoadColorSettings(m_settings.path));
    Form5.ScreenSaver().SetRunning(true);
    // The Misc dialog's "Default" also resets "Show" and the output folder;
    // they reach the file with the main settings at close.  Runs once: the
    // loader runs at the first showing only.
    connect(&Form5, &TForm5::DefaultsChosen, this, [this] {
        previewcheck->setChecked(true);
        Efolder->setText(QString::fromStdString(MiscDefaultOutputFolder()));
    });
}

void Tfrmmain::profilecomChange()
{
    Tfrmadv &frmadv = Windows().frmadv;
    frmadv.ApplyProfile(profilecom->currentIndex());
    profilecom->setToolTip(QString::fromStdString(frmadv.Settings().ProfileHint()));
}

void Tfrmmain::EfolderButtonClick()
{
    if (auto folder = BrowseOutputFolder(m_settings, this, Efolder->text().toStdString()))
        Efolder->setText(QString::fromStdString(*folder));
}

void Tfrmmain::CropSettings1Click()
{
    auto *view = qobject_cast<ChapterView *>(chapterview);
    const DiscCatalogue *disc = view ? view->Catalogue() : nullptr;
    if (!disc)
        return;
    Windows().frmpre.CropSettings1Click(ConverterHandle, CropTitles(disc->info), PreviewDC, Prompts());
}

void Tfrmmain::AdvancedSettings1Click() { Prompts().ShowModal(&Windows().Form5); }
void Tfrmmain::btnsettingClick() { Prompts().ShowModal(&Windows().Form5); }
void Tfrmmain::ColorControl1Click() { Prompts().ShowModal(&Windows().frmcolor); }
void Tfrmmain::btnproClick() { Prompts().ShowModal(&Windows().frmadv); }
