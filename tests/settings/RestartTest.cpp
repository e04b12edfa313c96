// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program's windows on the offscreen platform: what the user left
// in the settings is what the next start shows.
#include "NamedWindows.h"
#include "ScriptedEngine.h"
#include "StandIns.h"
#include "settings/Unit5.h"
#include "settings/Unit8.h"
#include "settings/adv.h"
#include "widgets/Prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellavan;

namespace {

struct QuietPrompts final : UserPrompts {
    QStringList shown;
    int WarningQuestion(QWidget *, const QString &text) override
    {
        shown << text;
        return kAnswerYes;
    }
    void Message(QWidget *, const QString &text) override { shown << text; }
    void ErrorBox(QWidget *, const QString &text) override { shown << text; }
    int ShowModal(QDialog *) override { return 1; }
    QString chosen, outputTitle, outputStart;   // the output folder's chooser
    QString ChooseOutputFolder(QWidget *, const QString &title, const QString &start) override
    {
        outputTitle = title;
        outputStart = start;
        return chosen;
    }
};

class Restart : public ::testing::Test, public pellavan::testing::NamedWindows {
protected:
    QTemporaryDir home;
    pellavan::testing::ScriptedEngine engine;
    QuietPrompts prompts;
    pellavan::testing::NoDrives drives;

    static QApplication &App()
    {
        static int argc = 1;
        static char name[] = "test_settings_restart";
        static char *argv[] = {name, nullptr};
        static QApplication app(argc, argv);
        return app;
    }

    Restart()
    {
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pellavan-test-bus");
        App();
    }

    void Start()
    {
        MainWindowServices services;
        services.engine = &engine;
        services.prompts = &prompts;
        services.drives = &drives;
        MakeWindows(services);
        frmmain->show();
    }
    void Stop()
    {
        frmmain->close();
        FreeWindows();
    }
    QString Home(const QString &rest) const { return home.path() + "/" + rest; }
};

} // namespace

TEST_F(Restart, FirstStartShowsTheDefaults)
{
    Start();
    EXPECT_EQ(frmmain->profilecom->currentIndex(), 0);
    EXPECT_FALSE(frmmain->c2pass->isChecked());
    EXPECT_FALSE(frmmain->csingle->isChecked());
    EXPECT_TRUE(frmmain->previewcheck->isChecked());
    EXPECT_EQ(frmmain->Efolder->text(), Home("Varnockoutput/"));
    EXPECT_TRUE(QDir(Home("Varnockoutput")).exists());
    EXPECT_EQ(Form5->Settings(), MiscSettings{});
    EXPECT_EQ(frmcolor->Settings(), ColorSettings{});
    EXPECT_EQ(frmadv->GetFrameSize(0), (FrameSize{320, 240}));
    EXPECT_EQ(frmmain->profilecom->toolTip(), "Windows Media Video format optimized for micorsoft Zune");
    Stop();
    QFile file(Home("Varnock/quintar/mervale.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("[main]\nprofile=0\n")); // the main section only
}

TEST_F(Restart, WhatTheUserLeftComesBack)
{
    Start();
    frmmain->profilecom->setCurrentIndex(2);
    frmmain->profilecomChange();
    frmmain->c2pass->setChecked(true);
    frmmain->previewcheck->setChecked(false);
    QDir().mkdir(Home("films"));
    prompts.chosen = Home("films");
    frmmain->EfolderButtonClick();
    EXPECT_EQ(prompts.outputStart, Home("Varnockoutput/"));
    EXPECT_EQ(prompts.outputTitle, "Set Output Folder");
    EXPECT_EQ(frmmain->Efolder->text(), Home("films/"));
    Form5->cshut->setChecked(true);
    Form5->cdis->setChecked(false);
    Form5->btnok->click();
    frmcolor->vpreset->setCurrentIndex(3);
    frmcolor->vcontrast->setSliderDown(true);
    frmcolor->vcontrast->setValue(37);
    frmcolor->vcontrast->setSliderDown(false);
    frmcolor->vsaturat->setValue(-20);
    frmcolor->spSkinButton2->click();
    frmadv->TVquality->setValue(80); // not stored
    Stop();

    Start();
    EXPECT_EQ(frmmain->profilecom->currentIndex(), 2);
    EXPECT_TRUE(frmmain->c2pass->isChecked());
    EXPECT_FALSE(frmmain->previewcheck->isChecked());
    EXPECT_EQ(frmmain->Efolder->text(), Home("films/"));
    EXPECT_EQ(Form5->Settings(), (MiscSettings{true, false, true}));
    EXPECT_EQ(frmcolor->Settings(), (ColorSettings{4, 10, 37, 0, -20}));
    EXPECT_EQ(frmcolor->vcontrast->value(), 37);
    EXPECT_EQ(frmadv->sizecom->count(), 13);
    EXPECT_EQ(frmadv->GetFrameRate(2), (FrameRate{30000, 1001}));
    EXPECT_EQ(frmadv->TVquality->value(), 50);
    EXPECT_TRUE(prompts.shown.filter("Unable to write").isEmpty()) << prompts.shown.join("|").toStdString();
    Stop();
}

TEST_F(Restart, MiscDefaultResetsShowAndFolderForTheNextStart)
{
    Start();
    frmmain->previewcheck->setChecked(false);
    Form5->copen->setChecked(false);
    Form5->btndefault->click();
    EXPECT_TRUE(frmmain->previewcheck->isChecked());
    EXPECT_EQ(frmmain->Efolder->text(), Home("Tessaryoutput/"));
    EXPECT_FALSE(QDir(Home("Tessaryoutput")).exists());
    QFile file(Home("Varnock/quintar/mervale.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "[Misc]\nOpen=1\nDisSaver=1\nShut=0\n"); // the folder only at close
    Stop();
    Start();
    EXPECT_EQ(frmmain->Efolder->text(), Home("Tessaryoutput/"));
    Stop();
}

TEST_F(Restart, AnUnwritableSettingsFileIsReportedAndTheWindowStillCloses)
{
    Start();
    const QString ini = Home("Varnock/quintar/mervale.ini");
    QDir().mkdir(ini); // a folder where the file should be
    prompts.shown.clear();
    EXPECT_TRUE(frmmain->close());
    EXPECT_EQ(prompts.shown, QStringList{"Unable to write to " + ini + "."});
    FreeWindows();
}
