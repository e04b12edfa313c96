// Main-window operations owned by other folders. Each folder moves its
// handlers out of here into its own files as it fills them.
#include "Unit1.h"

#include "settings/Unit5.h"
#include "settings/Unit8.h"
#include "settings/adv.h"
#include "shell/Prompts.h"

// ---- catalogue/ -------------------------------------------------------------
void Tfrmmain::Open1Click() {}              // catalogue/ fills: scan drives, open a disc
void Tfrmmain::OpenDVDFolder1Click() {}     // catalogue/ fills: open a DVD folder
void Tfrmmain::SelectAllItems1Click() {}    // catalogue/ fills
void Tfrmmain::UnSelectAllItems1Click() {}  // catalogue/ fills
void Tfrmmain::DVDProperty1Click() {}       // catalogue/ fills: the property report

// ---- settings/ --------------------------------------------------------------
void Tfrmmain::InstallScreenSaverFilter() {}   // settings/ fills
void Tfrmmain::LoadMainSettings() {}           // settings/ fills
void Tfrmmain::SaveMainSettings() {}           // settings/ fills
void Tfrmmain::LoadMiscSettings() {}           // settings/ fills
void Tfrmmain::profilecomChange() {}           // settings/ fills: apply the chosen profile
void Tfrmmain::EfolderButtonClick() {}         // settings/ fills: choose the output folder
void Tfrmmain::CropSettings1Click() {}         // settings/ fills
void Tfrmmain::AdvancedSettings1Click() { Prompts().ShowModal(Form5); }
void Tfrmmain::btnsettingClick() { Prompts().ShowModal(Form5); }
void Tfrmmain::ColorControl1Click() { Prompts().ShowModal(frmcolor); }
void Tfrmmain::btnproClick() { Prompts().ShowModal(frmadv); }

// ---- run/ -------------------------------------------------------------------
void Tfrmmain::btnconvertClick() {}         // run/ fills: build the job list, start the first job
void Tfrmmain::btnabortClick() {}           // run/ fills: stop the run
void Tfrmmain::btnpauseClick() {}           // run/ fills
void Tfrmmain::Pause1Click() {}             // run/ fills
void Tfrmmain::remuse1Click() {}            // run/ fills
void Tfrmmain::Capture1Click() {}           // run/ fills
void Tfrmmain::previewcheckClick() {}       // run/ fills
void Tfrmmain::GotoOutPutFolder1Click() {}  // run/ fills
void Tfrmmain::Timer1Timer() {}             // run/ fills
