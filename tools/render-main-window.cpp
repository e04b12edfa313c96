// Renders the main window in its idle state to a PNG file without a
// desktop: render-main-window [OUT.png]
#include "ScriptedEngine.h"
#include "shell/Unit1.h"
#include "shell/Windows.h"
#include "widgets/Skin.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setStyleSheet(pellavan::SkinStyleSheet());
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main-window.png");

    // The window makes its data folder and reads its settings under the
    // home folder: a fresh one, so the picture never depends on (or touches)
    // the user's own.
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "cannot make a temporary home folder\n");
        return 1;
    }
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());

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
