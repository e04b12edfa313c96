// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry: one instance at a time, the eight windows, the message loop.
#include "engine/ConverterEngine.h"
#include "platform/Drives.h"
#include "platform/InstanceLock.h"
#include "widgets/ErrorText.h"
#include "widgets/Prompts.h"
#include "shell/Unit1.h"
#include "shell/ProgramWindows.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);   // the command line is not read
    QApplication::setApplicationName(QStringLiteral("Pellavan"));
    QGuiApplication::setDesktopFileName(QStringLiteral(PELLAVAN_APP_ID));   // its menu entry and icon

    // A second start ends here, silently; the first is left alone. Any other
    // failure to take the guard falls back to another place (see InstanceLock).
    pellavan::InstanceLock guard;
    const pellavan::LockOutcome lock = guard.Acquire(pellavan::kInstanceGuardName);
    if (lock == pellavan::LockOutcome::HeldByAnother)
        return 0;
    if (lock == pellavan::LockOutcome::NoPlace) {   // said in plain words, then the program starts
        const auto places = pellavan::InstanceLock::LockFilePlaces(pellavan::kInstanceGuardName);
        pellavan::DesktopPrompts().Message(nullptr, QString::fromStdString(pellavan::NoLockPlaceText(places)));
    }

    pellavan::SetUpApplication();
    std::unique_ptr<pellavan::ConverterEngine> engine = pellavan::CreateLibraryEngine();
    pellavan::platform::LinuxDrives drives;   // the machine's optical drives
    pellavan::MainWindowServices services;
    services.engine = engine.get();
    services.drives = &drives;
    pellavan::ProgramWindows windows(services);
    windows.frmmain.show();
    const int rc = app.exec();
    // The engine may still be finishing a file: nothing is left on the
    // screen while the instance waits for it as the windows go.
    windows.frmmain.hide();
    QApplication::processEvents();
    return rc;
}
