// Renders the main window in its idle state to a PNG file without a
// desktop: render-main-window [OUT.png]
#include "ScriptedEngine.h"
#include "shell/Unit1.h"
#include "shell/Windows.h"
#include "widgets/Skin.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setStyleSheet(pellavan::SkinStyleSheet());
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main-window.png");

    pellavan::testing::ScriptedEngine engine;
    pellavan::MainWindowServices services;
    services.engine = &engine;
    services.appPath = QStringLiteral(PELLAVAN_PROGRAM_DIR);
    pellavan::CreateAllWindows(services);
    frmmain->show();   // first showing: settings, idle state
    frmmain->Timer2->stop();   // no disc scan for a picture
    QApplication::processEvents();
    const bool ok = frmmain->grab().save(out, "PNG");
    pellavan::DestroyAllWindows();
    if (!ok) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s\n", qPrintable(out));
    return 0;
}
