// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs through the main window on the offscreen platform, against the
// recording engine: reports arrive through the window's queued dispatch.
#include "NamedWindows.h"
#include "ScriptedEngine.h"
#include "StandIns.h"
#include "platform/Desktop.h"
#include "run/ConversionRun.h"
#include "settings/SettingsStore.h"
#include "settings/Unit5.h"
#include "settings/adv.h"
#include "widgets/Prompts.h"
#include "widgets/BrambleForm.h"
#include "widgets/JpegPicture.h"
#include "widgets/NoticeStrip.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

struct RecordingPrompts : UserPrompts {
    QStringList errors, messages;
    int WarningQuestion(QWidget *, const QString &) override { return kAnswerYes; }
    void Message(QWidget *, const QString &text) override { messages << text; }
    void ErrorBox(QWidget *, const QString &text) override { errors << text; }
    int ShowModal(QDialog *) override { return 0; }
};

struct RecordingDesktop : Desktop {
    QStringList opened;
    void OpenUrl(const QString &) override {}
    void OpenFolder(const QString &path) override { opened << path; }
    bool DocumentOpenerPresent() override { return false; }
    bool HelpViewerPresent() override { return false; }
    bool OpenDocument(const QString &) override { return false; }
};

struct RecordingPower : PowerControl {
    int asked = 0, powerOffs = 0;
    std::string CanPowerOff() override
    {
        ++asked;
        return "yes";
    }
    void PowerOff() override { ++powerOffs; }
};

constexpr int kWmv320 = 3;
const QString kFailed = QString::fromLatin1(kJobFailedText);

struct MainWindowRun : ::testing::Test, NamedWindows {
    QTemporaryDir home;
    QByteArray oldHome, oldConfig;
    ScriptedEngine engine;
    RecordingPrompts prompts;
    RecordingDesktop desktop;
    RecordingPower power;
    NoDrives drives;
    Tfrmmain *w = nullptr;
    QString out;

    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        // The window makes its data folder under the documents folder: keep it in here.
        oldHome = qgetenv("HOME");
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
        MainWindowServices services;
        services.engine = &engine;
        services.prompts = &prompts;
        services.desktop = &desktop;
        services.power = &power;
        services.drives = &drives;
        services.appPath = home.path();
        // The program folder's skin, whose picture the idle preview shows.
        ASSERT_TRUE(QDir().mkpath(home.path() + "/Skin"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(SKIN_DIR "/zune.jpg"), home.path() + "/Skin/zune.jpg"));
        MakeWindows(services);
        w = frmmain;

        if (w->profilecom->count() == 0)
            for (const Profile &p : Profiles())
                w->profilecom->addItem(QString::fromLatin1(p.text));
        w->profilecom->setCurrentIndex(kWmv320);
        frmadv->ApplyProfile(kWmv320);
        out = home.path() + "/out/";
        ASSERT_TRUE(QDir().mkpath(out));
        w->Efolder->setText(out);
        Form5->copen->setChecked(false);
        Form5->cshut->setChecked(false);

        std::vector<ScriptedTitle> titles;
        titles.push_back(MakeTitle({1000, 2000, 3000}, {MakeAudio("English", 0, 0x80)}));
        titles.push_back(MakeTitle({4000}));
        engine.script.titles = titles;
        ASSERT_TRUE(LoadDisc(w->ConverterHandle, w->Disc, "/media/dvd", "MOVIE"));
        w->SetDiscLoadedState();
        engine.ClearCalls();
    }
    void TearDown() override
    {
        FreeWindows();
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", oldConfig);
    }

    TreeNode &Title(int i) { return *w->Disc.tree.DiscNode()->children.at(size_t(i)); }
    // Title 0 unchecked with its second and third chapters checked, title 1 whole: three jobs.
    void CheckThreeJobs()
    {
        TitleTree &tree = w->Disc.tree;
        tree.SetState(Title(0), StateUnchecked);
        ApplyTitleStateToChapters(tree, Title(0));
        tree.SetState(*Title(0).children[1], StateChecked);
        tree.SetState(*Title(0).children[2], StateChecked);
        tree.SetState(Title(1), StateChecked);
        ApplyTitleStateToChapters(tree, Title(1));
    }
    void Convert() { emit w->btnconvert->OnClick(w->btnconvert); }
    // A report from the engine, delivered the way the window receives them.
    void Report(int32_t progress, int32_t state)
    {
        engine.QueueReport(progress, state);
        QCoreApplication::processEvents();
    }
    void ExpectFinishedControls()
    {
        EXPECT_FALSE(w->Timer1->isActive());
        EXPECT_FALSE(w->btnconvert->isHidden());
        EXPECT_TRUE(w->btnconvert->isEnabled());
        EXPECT_TRUE(w->btnabort->isHidden());
        EXPECT_TRUE(w->chapterview->isEnabled());
        EXPECT_TRUE(w->profilecom->isEnabled());
        EXPECT_TRUE(w->Efolder->isEnabled());
        EXPECT_TRUE(w->c2pass->isEnabled());
        EXPECT_FALSE(w->btnpause->isEnabled());
        EXPECT_FALSE(w->Pause1->isEnabled());
        EXPECT_FALSE(w->remuse1->isEnabled());
        EXPECT_FALSE(w->Capture1->isEnabled());
        EXPECT_TRUE(w->Open1->isEnabled());
    }
};

} // namespace

TEST_F(MainWindowRun, ThreeJobsWithTheSecondFailingRunToTheEnd)
{
    CheckThreeJobs();
    Convert();
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_TRUE(w->btnconvert->isHidden());
    EXPECT_FALSE(w->btnabort->isHidden());
    EXPECT_FALSE(w->chapterview->isEnabled());
    EXPECT_FALSE(w->Open1->isEnabled());
    EXPECT_TRUE(w->Pause1->isEnabled());
    EXPECT_FALSE(w->remuse1->isEnabled());
    EXPECT_EQ(w->statusinfo->text(), "Converting MOVIE_Title01_02.wmv...");
    EXPECT_EQ(w->spSkinGauge1->format(), "Convert %p%");
    // The tick shows the engine's frame in place of the skin picture...
    const QImage skin = QPixmap::fromImage(LoadJpegFile(w->SkinPath + "zune.jpg")).toImage();
    ASSERT_FALSE(skin.isNull());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !engine.CallsNamed("Converter_GetPreview(").empty(); }, 3000));
    EXPECT_NE(w->Image1->pixmap().toImage(), skin);

    Report(40, 0);
    EXPECT_EQ(w->spSkinGauge1->value(), 40);
    EXPECT_EQ(w->convertinfo->text(), "FPS:25");
    Report(100, 1);
    EXPECT_EQ(w->statusinfo->text(), "Converting MOVIE_Title01_03.wmv...");
    engine.script.damagedRegions = 2;
    Report(-1, 0);
    EXPECT_EQ(w->statusinfo->text(), "Converting MOVIE_Title02.wmv...");
    EXPECT_TRUE(w->noticestrip->isVisibleTo(w));   // what was skipped, readable at once
    EXPECT_EQ(w->noticestrip->Notice().toStdString(), DamageHint(2));
    EXPECT_EQ(w->Conversion().JobsLeft(), 1);
    Report(100, 1);
    EXPECT_EQ(w->statusinfo->text(), "Convert Finshed");
    ExpectFinishedControls();
    // ...and the finished run brings the skin picture back.
    EXPECT_EQ(w->Image1->pixmap().toImage(), skin);

    const std::string folder = out.toStdString();
    EXPECT_EQ(engine.CallsNamed("Converter_Convert("),
              (std::vector<std::string>{"Converter_Convert(2, " + folder + "MOVIE_Title01_02.wmv)",
                                        "Converter_Convert(2, " + folder + "MOVIE_Title01_03.wmv)",
                                        "Converter_Convert(2, " + folder + "MOVIE_Title02.wmv)"}));
    EXPECT_EQ(engine.CallsNamed("Converter_CloseFile").size(), 3u);
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_TRUE(prompts.errors.isEmpty());
    Convert();   // the next run starts without the last one's notice
    EXPECT_FALSE(w->noticestrip->isVisibleTo(w));
}

TEST_F(MainWindowRun, MergedRunWithTheLastJobFailingClosesTheFileOnce)
{
    CheckThreeJobs();
    w->csingle->setChecked(true);
    Form5->copen->setChecked(true);
    Convert();
    Report(100, 1);
    Report(100, 1);
    EXPECT_TRUE(engine.CallsNamed("Converter_CloseFile").empty());
    Report(-1, 0);
    EXPECT_EQ(engine.CallsNamed("Converter_CloseFile").size(), 1u);
    EXPECT_EQ(w->statusinfo->text(), kFailed);
    ExpectFinishedControls();
    EXPECT_EQ(desktop.opened, QStringList{out});
    for (const auto &c : engine.CallsNamed("Converter_Convert("))
        EXPECT_EQ(c, "Converter_Convert(2, " + out.toStdString() + "MOVIE.wmv)");
    // Only the first job opens the shared file.
    const auto infos = engine.CallsNamed("Converter_SetConvertInfo");
    ASSERT_EQ(infos.size(), 3u);
    EXPECT_NE(infos[0].find(", 1, 0, 0)"), std::string::npos) << infos[0];
    EXPECT_NE(infos[1].find(", 0, 0, 0)"), std::string::npos) << infos[1];
}

TEST_F(MainWindowRun, TheDiscGoneEndsTheRunWithOneMessage)
{
    // Gone during a job (it ends, done), or before it could read anything (it fails).
    const std::pair<int32_t, const char *> ends[] = {{100, kJobFinishedText}, {-1, kJobFailedText}};
    for (const auto &[progress, status] : ends) {
        SCOPED_TRACE(status);
        engine.ClearCalls();
        prompts.messages.clear();
        engine.script.damagedRegions = 0;
        engine.script.readEnd = DC_READ_WHOLE;
        CheckThreeJobs();
        w->csingle->setChecked(true);
        Convert();
        Report(100, 1);
        engine.script.damagedRegions = 1;
        engine.script.readEnd = DC_READ_DISC_GONE;
        engine.script.readEndText = "the disc went away after 0:00:01 (taken out, or its drive disconnected)";
        Report(progress, 1);
        // The third job is never started; the shared file is finished with what it holds.
        EXPECT_EQ(engine.CallsNamed("Converter_Convert(").size(), 2u);
        EXPECT_EQ(engine.CallsNamed("Converter_CloseFile").size(), 1u);
        EXPECT_EQ(prompts.messages, QStringList{QString::fromStdString(DiscGoneMessage(engine.script.readEndText))});
        EXPECT_EQ(w->statusinfo->text(), status);
        EXPECT_EQ(w->statusinfo->toolTip().toStdString(), DamageHint(1, engine.script.readEndText));
        ExpectFinishedControls();
    }
}

TEST_F(MainWindowRun, RefusedStartsFailTheirJobsAndTheRunEnds)
{
    CheckThreeJobs();
    engine.script.convertResult = false;
    Convert();
    EXPECT_EQ(w->statusinfo->text(), kFailed);
    EXPECT_EQ(engine.CallsNamed("Converter_Convert(").size(), 3u);
    EXPECT_EQ(w->Conversion().JobsLeft(), 0);
    EXPECT_FALSE(w->Conversion().RunOn());
    ExpectFinishedControls();
}

TEST_F(MainWindowRun, PausedRunKeepsItsElapsedTimeStill)
{
    Convert();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Conversion().ElapsedTime > 0; }, 3000));
    EXPECT_TRUE(w->Timeinfo->text().startsWith("Elapsed Time: 00:00:0"));
    EXPECT_FALSE(w->Image1->pixmap().isNull());

    emit w->btnpause->OnClick(w->btnpause);
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_TRUE(engine.Paused());
    EXPECT_FALSE(w->Pause1->isEnabled());
    EXPECT_TRUE(w->remuse1->isEnabled());
    EXPECT_TRUE(w->btnpause->isEnabled());
    const double elapsed = w->Conversion().ElapsedTime;
    const QString shown = w->Timeinfo->text();
    QTest::qWait(1200);
    EXPECT_EQ(w->Conversion().ElapsedTime, elapsed);
    EXPECT_EQ(w->Timeinfo->text(), shown);

    emit w->btnpause->OnClick(w->btnpause);
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_FALSE(engine.Paused());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->Conversion().ElapsedTime > elapsed; }, 3000));
    w->btnabortClick();
}

TEST_F(MainWindowRun, StopWithBothCompletionOptionsOpensTheFolderAndNeverPowersOff)
{
    Form5->copen->setChecked(true);
    Form5->cshut->setChecked(true);
    Form5->SaveMiscSettings();
    ASSERT_TRUE(LoadMiscSettings(w->SettingsEnv().path).shut);

    Convert();
    Report(30, 0);
    engine.ClearCalls();
    emit w->btnabort->OnClick(w->btnabort);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"Converter_CancelConvert(2)", "Converter_CloseFile(2)"}));
    EXPECT_EQ(w->statusinfo->text(), "User abort converting");
    EXPECT_EQ(desktop.opened, QStringList{out});
    EXPECT_EQ(power.powerOffs, 0);
    EXPECT_EQ(power.asked, 0);
    EXPECT_FALSE(Form5->cshut->isChecked());
    EXPECT_FALSE(LoadMiscSettings(w->SettingsEnv().path).shut);
    ExpectFinishedControls();

    // A run that completes with the option on does power off, after the folder.
    Form5->cshut->setChecked(true);
    Convert();
    Report(100, 1);
    EXPECT_EQ(desktop.opened.size(), 2);
    EXPECT_EQ(power.powerOffs, 1);
}

TEST_F(MainWindowRun, CaptureWritesNumberedBitmapsAtTheOutputSize)
{
    Convert();
    w->Timer1Timer();   // a preview frame to capture
    emit w->Capture1->triggered();
    emit w->btncapture->OnClick(w->btncapture);
    for (const char *name : {"MOVIE_01.bmp", "MOVIE_02.bmp"}) {
        SCOPED_TRACE(name);
        const QImage saved(out + name, "BMP");
        ASSERT_FALSE(saved.isNull());
        EXPECT_EQ(saved.size(), QSize(320, 240));
        EXPECT_EQ(saved.pixel(160, 120), 0xFF336699u);
    }
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_FALSE(engine.Paused());

    // An output folder that is gone: the run goes on and the reason is shown.
    w->Efolder->setText(home.path() + "/gone/");
    emit w->Capture1->triggered();
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_FALSE(engine.Paused());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("MOVIE_03.bmp")) << prompts.errors[0].toStdString();
    EXPECT_FALSE(QFile::exists(home.path() + "/gone/MOVIE_03.bmp"));

    // "Show" off: capture is disabled and does nothing; on again re-enables it.
    w->previewcheck->click();
    EXPECT_FALSE(w->Capture1->isEnabled());
    EXPECT_FALSE(w->btncapture->isEnabled());
    w->Capture1Click();
    EXPECT_EQ(w->Conversion().CaptureCount, 3);
    w->previewcheck->click();
    EXPECT_TRUE(w->Capture1->isEnabled());
    w->btnabortClick();
}

TEST_F(MainWindowRun, ClosingTheWindowDuringARunStopsTheEngine)
{
    Convert();
    Report(10, 0);
    w->close();
    EXPECT_EQ(engine.CallsNamed("Converter_CancelConvert").size(), 1u);
    EXPECT_FALSE(w->Timer1->isActive());
    // A report queued after the stop reaches nothing.
    Report(100, 1);
    EXPECT_EQ(engine.CallsNamed("Converter_Convert(").size(), 1u);
}
