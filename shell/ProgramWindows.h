// The program's eight windows: created once, in a fixed order, and kept
// until the end. The main window's creation runs before any dialog exists;
// its first showing (which loads the settings into the dialogs) after all.
#pragma once

namespace pellavan {

struct MainWindowServices;

// The application object's names and the skin, as the program sets them up
// before its windows exist. No display name is set: on X11 Qt would append it
// to every dialog's caption.
void SetUpApplication();

// Sets frmmain, frmdvdlist, frmadv, Form3, Form4, frmcolor, Form5, frmpre.
void CreateAllWindows(const MainWindowServices &services);
// Deletes them, dialogs first; the main window's destruction closes the
// engine instance.
void DestroyAllWindows();

} // namespace pellavan
