// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedEngine.h"
#include "settings/SettingsEnvironment.h"
#include "settings/Unit5.h"
#include "settings/Unit7.h"
#include "settings/Unit8.h"
#include "settings/adv.h"
#include "widgets/Prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace pellavan;
using pellavan::testing::ScriptedEngine;

namespace {

QApplication &App()
{
    static int argc = 1;
    static char name[] = "test_settings_dialogs";
    static char *argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// Keeps the error boxes' texts.
struct ErrorBoxes final : UserPrompts {
    QStringList shown;
    int WarningQuestion(QWidget *, const QString &) override { return kAnswerNo; }
    void Message(QWidget *, const QString &) override {}
    void ErrorBox(QWidget *, const QString &text) override { shown << text; }
    int ShowModal(QDialog *) override { return 0; }
};

class Dialogs : public ::testing::Test {
protected:
    Dialogs() { App(); }
    QTemporaryDir dir;
    std::string path = dir.path().toStdString() + "/mervale.ini";
    ErrorBoxes boxes;
    QStringList &errors = boxes.shown;
    SettingsEnvironment settings{path, boxes};

    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    std::string Contents() const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

struct RecordingBus final : ScreenSaverBus {
    int *held;
    explicit RecordingBus(int *h) : held(h) {}
    std::optional<uint32_t> Inhibit(const std::string &) override { return uint32_t(++*held); }
    void UnInhibit(uint32_t) override { --*held; }
};

QStringList Items(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

} // namespace

TEST_F(Dialogs, AdvancedSettingsShowsTheProfileAndForwardsEdits)
{
    Tfrmadv adv;
    EXPECT_FALSE(adv.formatcom->isEnabled());
    EXPECT_EQ(adv.lquality->text(), "Video Quality:50");
    EXPECT_EQ(adv.lvolume->text(), "Volume:1");
    adv.ApplyProfile(1);
    adv.ApplyProfile(2);
    EXPECT_EQ(adv.sizecom->count(), 13);
    EXPECT_EQ(adv.sizecom->currentText(), "640*480");
    EXPECT_EQ(adv.cvfrate->currentText(), "29.97");
    EXPECT_EQ(adv.formatcom->currentText(), "Xvid(MP4)");
    EXPECT_EQ(Items(adv.casamlerate), (QStringList{"22050Hz", "32000Hz", "44100Hz", "48000Hz"}));
    EXPECT_TRUE(adv.caspect->isChecked());

    adv.cvbitrate->setCurrentIndex(8);
    adv.sizecom->setCurrentIndex(12);
    EXPECT_EQ(adv.GetVideoBitrate(2), 2500);
    EXPECT_EQ(adv.GetFrameSize(2), (FrameSize{720, 576}));
    adv.tavolume->setValue(150);
    EXPECT_EQ(adv.lvolume->text(), "Volume:1.5");
    EXPECT_FLOAT_EQ(*adv.Settings().VolumeToSend(), 1.5f);
    adv.TVquality->setValue(51);
    EXPECT_EQ(adv.lquality->text(), "Video Quality:51");
    adv.caspect->setChecked(false);
    EXPECT_FALSE(adv.Settings().KeepAspect());

    EXPECT_FALSE(adv.etime->isEnabled());
    adv.chead->click();
    EXPECT_TRUE(adv.etime->isEnabled());
    adv.etime->setValue(1500);
    adv.cdelay->click();
    EXPECT_FALSE(adv.chead->isChecked());
    EXPECT_EQ(adv.Settings().AudioOffset(), -1500);
    adv.cdelay->click();
    EXPECT_FALSE(adv.etime->isEnabled());
    EXPECT_EQ(adv.etime->value(), 1500);
    EXPECT_FALSE(adv.Settings().AudioOffset());

    adv.reject();
    EXPECT_EQ(adv.result(), QDialog::Accepted);

    adv.ApplyProfile(42);
    EXPECT_EQ(adv.sizecom->count(), 0);
    EXPECT_EQ(adv.cvbitrate->currentIndex(), -1);
    EXPECT_EQ(adv.formatcom->currentText(), "Xvid(MP4)");
    EXPECT_EQ(adv.TVquality->value(), 51);
    EXPECT_FALSE(adv.GetFrameSize(42));
}

TEST_F(Dialogs, ColorPresetsDragAndStoring)
{
    Tfrmcolor color(settings);
    EXPECT_EQ(Items(color.vpreset), (QStringList{"Default", "CRT", "LCD", "TV", "Custom"}));
    EXPECT_EQ(color.vcontrast->maximum(), 1000);
    EXPECT_EQ(color.vhue->minimum(), -500);
    color.vhue->setValue(200);
    EXPECT_EQ(color.vhue->toolTip(), "2");
    color.vpreset->setCurrentIndex(2);
    EXPECT_EQ(color.Settings(), (ColorSettings{2, 15, 10, 0, 0}));
    EXPECT_EQ(color.vbright->toolTip(), "0.15");
    EXPECT_EQ(color.vhue->value(), 0);

    color.vpreset->setCurrentIndex(3);
    color.vcontrast->setSliderDown(true); // the user grabs the thumb
    EXPECT_EQ(color.vpreset->currentIndex(), 4);
    EXPECT_EQ(color.Settings(), (ColorSettings{4, 10, 15, 0, 0}));
    color.vcontrast->setSliderDown(false);
    color.vpreset->setCurrentIndex(1);
    color.vbright->setValue(20); // moved without dragging: preset stays
    EXPECT_EQ(color.vpreset->currentIndex(), 1);

    color.reject(); // close box: values stay in force, nothing stored
    EXPECT_EQ(color.Settings().bright, 20);
    EXPECT_EQ(Contents(), "");

    color.vpreset->setCurrentIndex(4);
    color.vcontrast->setValue(37);
    color.vsaturat->setValue(-20);
    color.spSkinButton2->click();
    EXPECT_EQ(color.result(), QDialog::Accepted);
    EXPECT_EQ(Contents(), "[ColorControl]\npreste=4\nbright=20\ncontrast=37\nhue=0\nsaturat=-20\n");
    EXPECT_TRUE(errors.isEmpty());

    Tfrmcolor restarted(settings);
    restarted.SetSettings(LoadColorSettings(path));
    EXPECT_EQ(restarted.vpreset->currentIndex(), 4);
    EXPECT_EQ(restarted.vbright->value(), 20);
    EXPECT_EQ(restarted.vsaturat->value(), -20);
    EXPECT_EQ(restarted.vsaturat->toolTip(), "-0.2");
}

TEST_F(Dialogs, FailedColorSaveIsReported)
{
    std::ofstream(path) << "keep";
    settings.path = path + "/mervale.ini";
    Tfrmcolor color(settings);
    color.spSkinButton2->click();
    EXPECT_EQ(errors, QStringList{QString::fromStdString("Unable to write to " + path + "/mervale.ini.")});
    EXPECT_EQ(Contents(), "keep");
}

TEST_F(Dialogs, MiscDefaultOkAndScreensaver)
{
    TForm5 misc(settings);
    int held = 0;
    misc.UseScreenSaverBus(std::make_unique<RecordingBus>(&held));
    EXPECT_TRUE(misc.copen->isChecked());
    EXPECT_TRUE(misc.cdis->isChecked());
    EXPECT_FALSE(misc.cshut->isChecked());
    misc.ScreenSaver().SetRunning(true);
    EXPECT_EQ(held, 0);   // nothing of the program is active yet
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(held, 1);
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);   // another window came to the front
    EXPECT_EQ(held, 0);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(held, 1);
    emit qApp->applicationStateChanged(Qt::ApplicationHidden);   // minimised
    EXPECT_EQ(held, 0);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    misc.cdis->setChecked(false);
    EXPECT_EQ(held, 0);

    misc.copen->setChecked(false);
    misc.cshut->setChecked(true);
    misc.reject(); // close box: the options hold, nothing is stored
    EXPECT_EQ(misc.Settings(), (MiscSettings{false, false, true}));
    EXPECT_EQ(Contents(), "");

    std::string atSignal = "unset";
    QObject::connect(&misc, &TForm5::DefaultsChosen, [&] { atSignal = Contents(); });
    misc.btndefault->click();
    EXPECT_EQ(atSignal, ""); // the main window's part comes before the save
    EXPECT_EQ(Contents(), "[Misc]\nOpen=1\nDisSaver=1\nShut=0\n");
    EXPECT_EQ(held, 1); // "Default" turned the option back on
    EXPECT_FALSE(misc.result() == QDialog::Accepted && misc.isVisible());

    misc.cshut->setChecked(true);
    misc.btnok->click();
    EXPECT_EQ(misc.result(), QDialog::Accepted);
    EXPECT_EQ(LoadMiscSettings(path), (MiscSettings{true, true, true}));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Dialogs, MiscScreensaverReleasedWhenTheProgramEnds)
{
    int held = 0;
    {
        TForm5 misc(settings);
        misc.UseScreenSaverBus(std::make_unique<RecordingBus>(&held));
        misc.ScreenSaver().SetRunning(true);
        misc.ScreenSaver().SetForeground(true);
        EXPECT_EQ(held, 1);
        misc.UseScreenSaverBus(std::make_unique<RecordingBus>(&held)); // swapping keeps one inhibition
        EXPECT_EQ(held, 1);
    }
    EXPECT_EQ(held, 0);
}

class CropDialog : public Dialogs {
protected:
    ScriptedEngine engine;
    ConverterInstance instance{engine};
    DCHandle handle = instance.Replace();
    std::vector<CropTitle> titles{{100, false, 1}, {900, false, 4}, {900, false, 1}};
    Tfrmpre pre;

    void Open()
    {
        engine.ClearCalls();
        ASSERT_TRUE(pre.BeginPreview(instance, titles, nullptr));
        pre.show();
    }
};

TEST_F(CropDialog, OpensOnTheLongestTitleInTheEnginesOrder)
{
    Open();
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"Converter_BeginPreview(1, 1, 1)", "Converter_GetPreview2(1, 1)"}));
    EXPECT_EQ(pre.ebot->maximum(), 480);
    EXPECT_EQ(pre.eright->maximum(), 720);
    EXPECT_EQ(pre.ebot->value(), 480);
    EXPECT_FALSE(pre.CropAccepted());
    pre.etop->setValue(20);
    pre.btncancel->click();
    EXPECT_EQ(engine.calls.back(), "Converter_EndPreview(1)");
    EXPECT_FALSE(pre.CropAccepted());
    EXPECT_FALSE(pre.Margins());

    titles[1].excluded = true;
    Open();
    EXPECT_EQ(engine.calls.front(), "Converter_BeginPreview(1, 2, 0)");
    EXPECT_EQ(pre.etop->value(), 0); // the whole frame again
    pre.btnok->click();
    EXPECT_TRUE(pre.CropAccepted());
    EXPECT_EQ(pre.Margins(), (CropMargins{0, 0, 0, 0}));
    EXPECT_EQ(engine.CallsNamed("Converter_EndPreview").size(), 1u);

    Open();
    EXPECT_FALSE(pre.CropAccepted()); // showing again withdraws the crop until OK
    pre.ebot->setValue(470);
    pre.eright->setValue(700);
    pre.btnok->click();
    EXPECT_EQ(pre.Margins(), (CropMargins{0, 10, 0, 20}));
}

TEST_F(CropDialog, NextImageStepsAHundredThenShowsOneStill)
{
    Open();
    EXPECT_EQ(qGray(pre.Picture().pixel(10, 10)), 0);
    pre.btnnext->click();
    EXPECT_EQ(engine.calls.size(), 2u + 101u);
    EXPECT_EQ(engine.CallsNamed("Converter_GetPreview2(1, 0)").size(), 100u);
    EXPECT_EQ(engine.calls.back(), "Converter_GetPreview2(1, 1)");
    EXPECT_EQ(qGray(pre.Picture().pixel(10, 10)), 100);
    EXPECT_EQ(pre.ebot->maximum(), 480);

    pre.etop->setValue(240);
    const QImage shot = pre.PaintBox1->grab().toImage();
    EXPECT_EQ(shot.pixelColor(150, 112), QColor(Qt::red)); // top edge at 240*225/480 = 112
    EXPECT_EQ(qGray(shot.pixel(150, 116)), 100);                // and only 3 pixels wide
    EXPECT_EQ(qGray(shot.pixel(150, 150)), 100);               // the picture inside the rectangle
    pre.btnfull->click();
    EXPECT_EQ(pre.etop->value(), 0);
    pre.reject();
}

TEST_F(CropDialog, NoPictureKeepsTheCropOff)
{
    engine.script.stillWidth = 0;
    Open();
    EXPECT_TRUE(pre.lmessage->isVisible());
    EXPECT_FALSE(pre.etop->isEnabled());
    EXPECT_EQ(pre.ebot->maximum(), 0);
    pre.PaintBox1->grab(); // paints without a rectangle
    pre.btnnext->click();
    pre.btnok->click();
    EXPECT_FALSE(pre.CropAccepted());
    EXPECT_FALSE(pre.Margins());
    EXPECT_EQ(engine.calls.back(), "Converter_EndPreview(1)");
}

// Answers every dialog without closing it, as the window tests' stand-ins do.
struct UnclosingPrompts final : UserPrompts {
    std::vector<std::string> *calls = nullptr;
    int WarningQuestion(QWidget *, const QString &) override { return kAnswerNo; }
    void Message(QWidget *, const QString &) override {}
    void ErrorBox(QWidget *, const QString &) override {}
    int ShowModal(QDialog *) override
    {
        calls->push_back("shown");
        return QDialog::Accepted;
    }
};

TEST_F(CropDialog, TheCommandShowsTheDialogBetweenBeginningAndEndingThePreview)
{
    UnclosingPrompts prompts;
    prompts.calls = &engine.calls;
    engine.ClearCalls();
    EXPECT_EQ(pre.CropSettings1Click(instance, titles, nullptr, prompts), QDialog::Accepted);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"Converter_BeginPreview(1, 1, 1)", "Converter_GetPreview2(1, 1)",
                                                      "shown", "Converter_EndPreview(1)"}));
}

TEST_F(CropDialog, NothingToPreviewDoesNothing)
{
    titles = {{0, false, 1}, {0, false, 2}};
    engine.ClearCalls();
    UnclosingPrompts prompts;
    prompts.calls = &engine.calls;
    EXPECT_EQ(pre.CropSettings1Click(instance, titles, nullptr, prompts), -1);
    EXPECT_TRUE(engine.calls.empty());
}
