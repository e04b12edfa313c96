// Program entry: one instance at a time, the eight windows, the message loop.
#include "engine/ConverterEngine.h"
#include "platform/InstanceLock.h"
#include "widgets/ErrorText.h"
#include "shell/Unit1.h"
#include "shell/Windows.h"
#include "widgets/Skin.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);   // the command line is not read
    QApplication::setApplicationName(QStringLiteral("Pellavan"));
    QApplication::setApplicationDisplayName(QString::fromLatin1(pellavan::kApplicationTitle));
    QGuiApplication::setDesktopFileName(QStringLiteral(PELLAVAN_APP_ID));   // its menu entry and icon

    // A second start ends here, silently; the first is left alone.
    pellavan::InstanceLock guard;
    if (!guard.Acquire(pellavan::kInstanceGuardName))
        return 0;

    app.setStyleSheet(pellavan::SkinStyleSheet());
    std::unique_ptr<pellavan::ConverterEngine> engine = pellavan::CreateLibraryEngine();
    pellavan::MainWindowServices services;
    services.engine = engine.get();
    pellavan::CreateAllWindows(services);
    frmmain->show();
    const int result = app.exec();
    pellavan::DestroyAllWindows();
    return result;
}
