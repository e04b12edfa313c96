// SPDX-License-Identifier: GPL-3.0-or-later
// The program's eight windows: created once, in a fixed order, and kept
// until the end, in the one place that holds them.  The shell hands this
// struct to whoever needs a window.  The main window's creation runs before
// any dialog exists; its first showing (which loads the settings into the
// dialogs) after all.
#pragma once

class Tfrmmain;
class Tfrmdvdlist;
class Tfrmadv;
class TForm3;
class TForm4;
class Tfrmcolor;
class TForm5;
class Tfrmpre;

namespace pellavan {

struct MainWindowServices;

// The application object's names and the skin, as the program sets them up
// before its windows exist. No display name is set: on X11 Qt would append it
// to every dialog's caption.
void SetUpApplication();

struct ProgramWindows {
    // Creates frmmain, frmdvdlist, frmadv, Form3, Form4, frmcolor, Form5 and
    // frmpre, in that order, hidden.
    explicit ProgramWindows(const MainWindowServices &services);
    // Deletes them, dialogs first; the main window's destruction closes the
    // engine instance.
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows &) = delete;
    ProgramWindows &operator=(const ProgramWindows &) = delete;

    Tfrmmain &frmmain;
    Tfrmdvdlist &frmdvdlist;
    Tfrmadv &frmadv;
    TForm3 &Form3;
    TForm4 &Form4;
    Tfrmcolor &frmcolor;
    TForm5 &Form5;
    Tfrmpre &frmpre;
};

} // namespace pellavan
