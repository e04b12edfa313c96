// SPDX-License-Identifier: GPL-3.0-or-later
// The program's windows for a test, each under its instance name.
#pragma once

#include "shell/ProgramWindows.h"
#include "shell/Unit1.h"

#include <memory>

namespace pellavan::testing {

struct NamedWindows {
    std::unique_ptr<ProgramWindows> windows;
    Tfrmmain *frmmain = nullptr;
    Tfrmdvdlist *frmdvdlist = nullptr;
    Tfrmadv *frmadv = nullptr;
    TForm3 *Form3 = nullptr;
    TForm4 *Form4 = nullptr;
    Tfrmcolor *frmcolor = nullptr;
    TForm5 *Form5 = nullptr;
    Tfrmpre *frmpre = nullptr;

    void MakeWindows(const MainWindowServices &services)
    {
        windows = std::make_unique<ProgramWindows>(services);
        ProgramWindows &w = *windows;
        frmmain = &w.frmmain, frmdvdlist = &w.frmdvdlist, frmadv = &w.frmadv, Form3 = &w.Form3;
        Form4 = &w.Form4, frmcolor = &w.frmcolor, Form5 = &w.Form5, frmpre = &w.frmpre;
    }
    void FreeWindows()
    {
        windows.reset();
        *this = NamedWindows{};
    }
};

} // namespace pellavan::testing
