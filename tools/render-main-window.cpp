// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the main window to a PNG file without a desktop, over a scripted
// engine: render-main-window [OUT.png [idle|converting|refused]]
//   idle        as the program starts, before any disc;
//   converting  a run's second job, after the first skipped unreadable parts,
//               its panels showing their longest texts;
//   refused     after a disc the engine could not open.
// QT_QPA_PLATFORM=xcb with DISPLAY set draws it on that X server.
#include "ScriptedEngine.h"
#include "platform/DriveSystem.h"
#include "platform/Power.h"
#include "run/ConversionRun.h"
#include "shell/ProgramWindows.h"
#include "shell/Unit1.h"
#include "widgets/Prompts.h"
#include "widgets/Skin.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

// Answers every box at once; Open DVD Folder chooses "/media/dvd".
struct QuietPrompts final : pellavan::UserPrompts {
    int WarningQuestion(QWidget *, const QString &) override { return pellavan::kAnswerNo; }
    void Message(QWidget *, const QString &) override {}
    void ErrorBox(QWidget *, const QString &) override {}
    int ShowModal(QDialog *) override { return 0; }
    QString ChooseFolder(QWidget *, const QString &) override { return QStringLiteral("/media/dvd"); }
};

// No drives, and a power-off that never happens.
struct NoMachine final : pellavan::DriveSystem, pellavan::PowerControl {
    std::vector<std::string> OpticalDrives() override { return {}; }
    pellavan::DriveProbe Probe(const std::string &) override { return {}; }
    std::string CanPowerOff() override { return "no"; }
    void PowerOff() override {}
};

void StartRun(pellavan::testing::ScriptedEngine &engine, Tfrmmain &w)
{
    using namespace pellavan::testing;
    for (int i = 0; i < 2; ++i)
        engine.script.titles.push_back(MakeTitle({600000, 900000}, {MakeAudio("English", 0, 0x80)}));
    engine.script.encodeFps = 29.970029;
    w.OpenDVDFolder1Click();
    w.SelectAllItems1Click();
    w.btnconvertClick();
    engine.script.damagedRegions = 3;
    engine.QueueReport(100, 1);   // the first job ends; the second starts
    engine.QueueReport(57, 0);
    w.ConverterHandle.DispatchReports();
    w.Conversion().ElapsedTime = pellavan::AddTime(23, 59, 59, 0);
    w.Timer1Timer();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setStyleSheet(pellavan::SkinStyleSheet());
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main-window.png");
    const char *mode = argc > 2 ? argv[2] : "idle";
    if (std::strcmp(mode, "idle") != 0 && std::strcmp(mode, "converting") != 0 && std::strcmp(mode, "refused") != 0) {
        std::fprintf(stderr, "usage: render-main-window [OUT.png [idle|converting|refused]]\n");
        return 2;
    }

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
    NoMachine machine;
    QuietPrompts prompts;
    pellavan::MainWindowServices services;
    services.engine = &engine;
    services.drives = &machine;
    services.prompts = &prompts;
    services.power = &machine;
    services.appPath = QStringLiteral(PELLAVAN_PROGRAM_DIR);
    pellavan::ProgramWindows windows(services);
    Tfrmmain &frmmain = windows.frmmain;
    frmmain.show();   // first showing: settings, idle state
    frmmain.Timer2->stop();   // no disc scan for a picture
    if (std::strcmp(mode, "converting") == 0) {
        StartRun(engine, frmmain);
    } else if (std::strcmp(mode, "refused") == 0) {
        engine.script.openResult = false;
        engine.script.lastError = "the disc is encrypted and cannot be read here (libdvdcss is not installed)";
        frmmain.OpenDVDFolder1Click();
    }
    QApplication::processEvents();
    const bool ok = frmmain.grab().save(out, "PNG");
    if (!ok) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s\n", qPrintable(out));
    return 0;
}
