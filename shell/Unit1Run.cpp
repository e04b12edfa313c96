// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's run commands: each forwards to the conversion run.
#include "RunWindow.h"

#include "platform/Desktop.h"
#include "Unit1.h"

#include <QLineEdit>

pellavan::ConversionRun &Tfrmmain::Conversion()
{
    if (!m_run)
        m_run = std::make_unique<pellavan::RunWindow>(Windows(), Disc, m_power);
    return m_run->Run();
}

void Tfrmmain::btnconvertClick() { Conversion().btnconvertClick(); }
void Tfrmmain::btnabortClick() { Conversion().btnabortClick(); }
void Tfrmmain::btnpauseClick() { Conversion().btnpauseClick(); }
void Tfrmmain::Pause1Click() { Conversion().Pause1Click(); }
void Tfrmmain::remuse1Click() { Conversion().remuse1Click(); }
void Tfrmmain::Capture1Click() { Conversion().Capture1Click(); }
void Tfrmmain::previewcheckClick() { Conversion().previewcheckClick(); }
void Tfrmmain::Timer1Timer() { Conversion().Timer1Timer(); }
void Tfrmmain::GotoOutPutFolder1Click() { DesktopOpener().OpenFolder(Efolder->text()); }
