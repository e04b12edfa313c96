// Main-window operations owned by other folders. Each folder moves its
// handlers out of here into its own files as it fills them.
#include "Unit1.h"

#include "settings/Unit5.h"
#include "settings/Unit8.h"
#include "settings/adv.h"
#include "shell/Prompts.h"

// ---- settings/ --------------------------------------------------------------
// InstallScreenSaverFilter, LoadMainSettings, SaveMainSettings, LoadMiscSettings,
// profilecomChange, EfolderButtonClick, CropSettings1Click: settings/MainWindowSettings.cpp
void Tfrmmain::AdvancedSettings1Click() { Prompts().ShowModal(Form5); }
void Tfrmmain::btnsettingClick() { Prompts().ShowModal(Form5); }
void Tfrmmain::ColorControl1Click() { Prompts().ShowModal(frmcolor); }
void Tfrmmain::btnproClick() { Prompts().ShowModal(frmadv); }
