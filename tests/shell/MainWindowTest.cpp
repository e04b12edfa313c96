// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShellFixture.h"

#include "settings/Unit5.h"
#include "run/ConversionRun.h"
#include "widgets/BrambleForm.h"
#include "shell/ProgramWindows.h"
#include "widgets/ElidedComboBox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QTest>
#include <QTreeView>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

class MainWindow : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        CreateWindows();
        ShowMain();
    }
    // "E" / "D", with "V" / "H" in front for controls whose visibility the
    // states switch.
    std::string Now(const QString &name, bool withVisibility)
    {
        QObject *o = frmmain->findChild<QObject *>(name);
        if (!o)
            return "missing";
        bool enabled = false, visible = false;
        if (auto *w = qobject_cast<QWidget *>(o)) {
            enabled = w->isEnabled();
            visible = !w->isHidden();
        } else if (auto *a = qobject_cast<QAction *>(o)) {
            enabled = a->isEnabled();
            visible = a->isVisible();
        }
        return (withVisibility ? std::string(visible ? "V" : "H") : "") + (enabled ? "E" : "D");
    }
};

// The states' columns as the window must show them after idle, disc
// loaded, converting, paused, converting again and the end of the run.
// A control a state leaves alone shows the value it had before.
struct Row {
    const char *controls;
    bool visibility;
    const char *idle, *disc, *converting, *paused;
};
const Row kExpected[] = {
    {"btnopen Open1 OpenDVDFolder1", false, "E", "E", "D", "D"},
    {"btnproperty DVDProperty1", false, "D", "E", "E", "E"},
    {"btnselectall SelectAllItems1 UnSelectAllItems1", false, "D", "E", "D", "D"},
    {"btnsetting AdvancedSettings1", false, "E", "E", "D", "D"},
    {"CropSettings1 ColorControl1", false, "D", "E", "D", "D"},
    {"SetoutputFolder1 GotoOutPutFolder1 spSkinButton2 btnhelp HelpDocument1 Support1 Home1 About1 Exit1 previewcheck",
     false, "E", "E", "E", "E"},
    {"chapterview profilecom Efolder c2pass csingle btnpro", false, "E", "E", "D", "D"},
    {"btnconvert", true, "VD", "VE", "HE", "HE"},
    {"btnabort", true, "HE", "HE", "VE", "VE"},
    {"btnpause", false, "D", "D", "E", "E"},
    {"Pause1", false, "D", "D", "E", "D"},
    {"remuse1", false, "D", "D", "D", "E"},
    {"btncapture Capture1", false, "D", "D", "E", "E"},
};

} // namespace

TEST_F(MainWindow, EachStateShowsItsColumnOnTheRealControls)
{
    auto check = [&](const char *stateName, const char *Row::*column) {
        for (const Row &row : kExpected)
            for (const QString &name : QString::fromLatin1(row.controls).split(' '))
                EXPECT_EQ(Now(name, row.visibility), row.*column) << name.toStdString() << " in " << stateName;
    };
    check("idle", &Row::idle);
    engine.script.titles = {MakeTitle({1000, 2000}), MakeTitle({3000})};
    prompts.folder = QString::fromStdString(root.string());
    frmmain->OpenDVDFolder1->trigger();
    check("disc loaded", &Row::disc);
    emit frmmain->btnconvert->OnClick(frmmain->btnconvert);
    ASSERT_TRUE(frmmain->Timer1->isActive());
    check("converting", &Row::converting);
    emit frmmain->btnpause->OnClick(frmmain->btnpause);
    check("paused", &Row::paused);
    emit frmmain->btnpause->OnClick(frmmain->btnpause);
    check("converting again", &Row::converting);
    frmmain->Pause1->trigger();
    check("paused by the menu", &Row::paused);
    frmmain->remuse1->trigger();
    check("resumed by the menu", &Row::converting);
    emit frmmain->btnabort->OnClick(frmmain->btnabort);
    check("after the run", &Row::disc);
}

TEST_F(MainWindow, EveryControlOfTheStatesIsItsOwnMember)
{
    for (int i = 0; i < kCommandControlCount; ++i) {
        const auto c = CommandControl(i);
        QObject *o = frmmain->Control(c);
        ASSERT_NE(o, nullptr) << CommandControlName(c);
        EXPECT_EQ(o->objectName().toStdString(), CommandControlName(c));
    }
}

// The screensaver is held off in the words of what the window is doing.
TEST_F(MainWindow, ScreensaverReasonFollowsTheCommandState)
{
    struct Bus final : ScreenSaverBus {
        std::vector<std::string> *reasons;
        explicit Bus(std::vector<std::string> *r) : reasons(r) {}
        std::optional<uint32_t> Inhibit(const std::string &reason) override
        {
            reasons->push_back(reason);
            return uint32_t(reasons->size());
        }
        void UnInhibit(uint32_t) override {}
    };
    std::vector<std::string> reasons;
    Form5->UseScreenSaverBus(std::make_unique<Bus>(&reasons));
    Form5->ScreenSaver().SetForeground(true);
    frmmain->SetDiscLoadedState();
    frmmain->SetConvertingState();
    frmmain->ApplyCommandState(CommandState::Paused);
    EXPECT_EQ(reasons, (std::vector<std::string>{"Waiting for a DVD", "Showing the titles of a DVD",
                                                 "Converting a DVD to video files", "Conversion of a DVD paused"}));
}

TEST_F(MainWindow, IdleStateTextsAndPicture)
{
    EXPECT_EQ(frmmain->statusinfo->text(), " Welcome to use Pellavan");
    EXPECT_EQ(frmmain->Image1->pixmap().size(), QSize(320, 240));
    EXPECT_TRUE(frmmain->Image1->hasScaledContents());
    EXPECT_TRUE(prompts.errors.isEmpty());
    // Opening a disc leaves the picture alone.
    frmmain->SetDiscLoadedState();
    EXPECT_FALSE(frmmain->Image1->pixmap().isNull());
}

TEST_F(MainWindow, PausingAndResumingKeepCaptureAsTheShowOptionLeftIt)
{
    engine.script.titles = {MakeTitle({1000})};
    prompts.folder = QString::fromStdString(root.string());
    frmmain->OpenDVDFolder1->trigger();
    emit frmmain->btnconvert->OnClick(frmmain->btnconvert);
    // "Show" unchecked by a click while converting switches capture off...
    QTest::mouseClick(frmmain->previewcheck, Qt::LeftButton);
    ASSERT_FALSE(frmmain->previewcheck->isChecked());
    EXPECT_FALSE(frmmain->btncapture->isEnabled());
    EXPECT_FALSE(frmmain->Capture1->isEnabled());
    // ...and neither pausing nor resuming switches it back on.
    emit frmmain->btnpause->OnClick(frmmain->btnpause);
    EXPECT_FALSE(frmmain->btncapture->isEnabled());
    EXPECT_FALSE(frmmain->Capture1->isEnabled());
    EXPECT_TRUE(frmmain->btnproperty->isEnabled());
    emit frmmain->btnpause->OnClick(frmmain->btnpause);
    EXPECT_FALSE(frmmain->btncapture->isEnabled());
    EXPECT_FALSE(frmmain->Capture1->isEnabled());
    // "Show" checked again switches it back on.
    QTest::mouseClick(frmmain->previewcheck, Qt::LeftButton);
    EXPECT_TRUE(frmmain->btncapture->isEnabled());
    EXPECT_TRUE(frmmain->Capture1->isEnabled());
}

TEST_F(MainWindow, ControlsSitAtTheirPlaces)
{
    EXPECT_EQ(frmmain->size(), QSize(697, 400));
    EXPECT_EQ(frmmain->minimumSize(), frmmain->maximumSize());
    EXPECT_EQ(frmmain->windowTitle(), "Pellavan ");
    const struct {
        const char *name;
        QRect rect;
    } places[] = {
        {"spSkinMainMenuBar1", {0, 0, 697, 22}}, {"spSkinToolBar1", {0, 22, 697, 25}},
        {"btnopen", {0, 22, 57, 25}},            {"btnhelp", {4 * 57, 22, 57, 25}},
        {"Image3", {665, 22, 32, 25}},           {"spSkinPanel2", {0, 47, 275, 332}},
        {"chapterview", {1, 48, 273, 280}},      {"profilecom", {42, 47 + 281 + 3, 225, 20}},
        {"Efolder", {42, 47 + 281 + 27, 225, 20}}, {"Image2", {275, 47, 422, 332}},
        {"imagepanel", {354, 77, 321, 241}},     {"Image1", {354, 77, 321, 241}},
        {"previewcheck", {280, 166, 57, 25}},    {"btncapture", {291, 214, 37, 37}},
        {"btnpro", {276, 328, 80, 25}},          {"spSkinButton2", {276, 353, 80, 25}},
        {"c2pass", {360, 329, 137, 25}},         {"csingle", {360, 352, 137, 25}},
        {"btnpause", {514, 330, 37, 37}},        {"btnconvert", {567, 329, 107, 39}},
        {"btnabort", {566, 329, 107, 39}},       {"spSkinStatusBar1", {0, 379, 697, 21}},
        {"statusinfo", {0, 379, 313, 21}},       {"spSkinGauge1", {313, 379, 159, 21}},
        {"convertinfo", {472, 379, 97, 21}},     {"Timeinfo", {569, 379, 128, 21}},
    };
    for (const auto &p : places) {
        auto *w = qobject_cast<QWidget *>(frmmain->findChild<QObject *>(p.name));
        ASSERT_NE(w, nullptr) << p.name;
        EXPECT_EQ(QRect(w->mapTo(frmmain, QPoint(0, 0)), w->size()), p.rect) << p.name;
    }
    // The status bar's parts leave no gap.
    EXPECT_EQ(frmmain->spSkinGauge1->geometry().right() + 1, frmmain->convertinfo->x());
    EXPECT_EQ(frmmain->spSkinGauge1->minimum(), 0);
    EXPECT_EQ(frmmain->spSkinGauge1->maximum(), 100);
}

// Every fixed-size text fits its place in the window's font, drawn as the
// program draws it (the skin set up before the windows): captions as they
// stand, panels with their longest texts.
TEST_F(MainWindow, EveryFixedTextFitsItsPlace)
{
    DestroyWindows();
    SetUpApplication();
    CreateWindows();
    ShowMain();
    Tfrmmain &w = *frmmain;
    w.statusinfo->setText(QString::fromLatin1(kJobFailedText));
    w.convertinfo->setText(QString::fromStdString(FpsText(12345.6, QLocale::c())));
    w.Timeinfo->setText(QString::fromStdString(kElapsedPrefix + FormatElapsed(AddTime(23, 59, 59, 0))));
    for (QWidget *place : std::initializer_list<QWidget *>{w.Label4, w.Label1, w.previewcheck, w.c2pass, w.csingle,
                                                           w.btnpro, w.spSkinButton2, w.statusinfo, w.convertinfo,
                                                           w.Timeinfo}) {
        place->ensurePolished();
        EXPECT_LE(place->sizeHint().width(), place->width()) << place->objectName().toStdString();
        EXPECT_LE(place->sizeHint().height(), place->height()) << place->objectName().toStdString();
    }
    // The tool buttons' captions under their glyphs (their hints count margins the tool bar has not).
    for (QToolButton *tool : {w.btnopen, w.btnproperty, w.btnselectall, w.btnsetting, w.btnhelp}) {
        const QFontMetrics m(tool->font());
        EXPECT_LE(m.horizontalAdvance(tool->text()), tool->width()) << tool->objectName().toStdString();
        EXPECT_LE(tool->iconSize().height() + m.height(), tool->height()) << tool->objectName().toStdString();
    }
    // The profile box is narrower than the longer names: they end in "...", never cut mid-letter.
    auto *profiles = static_cast<ElidedComboBox *>(w.profilecom);
    profiles->setCurrentIndex(5);
    EXPECT_EQ(profiles->ShownText(), "H.264 Video configure");
    profiles->setCurrentIndex(3);
    EXPECT_TRUE(profiles->ShownText().endsWith(QChar(0x2026))) << profiles->ShownText().toStdString();
    w.spSkinGauge1->setFormat(QString::fromLatin1(kTwoPassText) + "%p%");
    w.spSkinGauge1->setValue(100);
    EXPECT_LE(QFontMetrics(w.spSkinGauge1->font()).horizontalAdvance(w.spSkinGauge1->text()) + 2,
              w.spSkinGauge1->width());
    qApp->setStyleSheet(QString());
}

TEST_F(MainWindow, CaptionsHintsAndDesignTimeValues)
{
    const QStringList tools = {frmmain->btnopen->text(), frmmain->btnproperty->text(), frmmain->btnselectall->text(),
                               frmmain->btnsetting->text(), frmmain->btnhelp->text()};
    EXPECT_EQ(tools, QStringList({"Open DVD", "Property", "Select all", "Setting", "Help"}));
    EXPECT_EQ(frmmain->Label4->text(), "Profile:");
    EXPECT_EQ(frmmain->Label1->text(), "Output:");
    for (QWidget *label : {static_cast<QWidget *>(frmmain->Label4), static_cast<QWidget *>(frmmain->Label1)}) {
        label->ensurePolished();
        EXPECT_EQ(label->font(), frmmain->font()) << label->objectName().toStdString();   // the window's own
    }
    EXPECT_EQ(frmmain->previewcheck->text(), "Show");
    EXPECT_EQ(frmmain->previewcheck->toolTip(), "Show real time preview when converting");
    EXPECT_TRUE(frmmain->previewcheck->isChecked());
    EXPECT_EQ(frmmain->btncapture->toolTip(), "Capture image");
    EXPECT_EQ(frmmain->btnpro->text(), "Settings");
    EXPECT_EQ(frmmain->btnpro->toolTip(), "Show Advanced Settings");
    EXPECT_EQ(frmmain->spSkinButton2->text(), "Find target");
    EXPECT_EQ(frmmain->c2pass->text(), "2-pass encoding");
    EXPECT_FALSE(frmmain->c2pass->isChecked());
    EXPECT_EQ(frmmain->csingle->text(), "merge into one file");
    EXPECT_FALSE(frmmain->csingle->isChecked());
    EXPECT_EQ(frmmain->btnpause->toolTip(), "Pause Converting");
    EXPECT_EQ(frmmain->btnconvert->toolTip(), "Convert dvd to Zune");
    EXPECT_EQ(frmmain->btnabort->toolTip(), "Stop converting");
    EXPECT_TRUE(frmmain->Efolder->isReadOnly());
    EXPECT_EQ(frmmain->Efolder->toolTip(), frmmain->Efolder->text());
    EXPECT_FALSE(frmmain->profilecom->isEditable());
    EXPECT_EQ(frmmain->profilecom->maxVisibleItems(), 8);
    EXPECT_FALSE(frmmain->chapterview->rootIsDecorated());
    EXPECT_EQ(frmmain->chapterview->indentation(), 26);
    EXPECT_EQ(frmmain->Timer1->interval(), 500);
    EXPECT_FALSE(frmmain->Timer1->isActive());
    // The abort button has no disabled picture; the others have all four.
    EXPECT_TRUE(frmmain->btnabort->State().UnEnGlyph.Empty());
    for (TBrambleButton *b : {frmmain->btnconvert, frmmain->btnpause, frmmain->btncapture})
        EXPECT_FALSE(b->State().UnEnGlyph.Empty() || b->State().ActiveGlyph.Empty() ||
                     b->State().DownGlyph.Empty());
}

TEST_F(MainWindow, MenusInOrderWithCaptionsAndShortCut)
{
    QStringList seen;
    for (QAction *menuAction : frmmain->spSkinMainMenuBar1->actions()) {
        seen << menuAction->text();
        for (QAction *a : menuAction->menu()->actions())
            seen << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + "=" + a->text());
    }
    const QStringList expected = {
        "&File",    "Open1=&Open DVD", "OpenDVDFolder1=Open DVD Folder", "-", "Pause1=&Pause Converting",
        "remuse1=&Resume Converting", "-", "Capture1=&Capture Image", "-", "Exit1=&Exit",
        "&Edit",    "SelectAllItems1=Select All Items", "UnSelectAllItems1=Un-Select All  Items", "-",
        "GotoOutPutFolder1=Goto Output  Folder",
        "&Settings", "DVDProperty1=DVD Property", "AdvancedSettings1=Advanced Settings",
        "CropSettings1=Crop Settings", "ColorControl1=Color Control", "-", "SetoutputFolder1=Set Output Folder",
        "&Help",    "HelpDocument1=Help Document", "-", "Support1=Support", "Home1=Home", "-", "About1=About"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(frmmain->Capture1->shortcut(), QKeySequence(Qt::Key_F12));
}

TEST_F(MainWindow, SettingsCommandsOpenTheirDialogsModally)
{
    frmmain->btnsetting->click();
    frmmain->AdvancedSettings1->setEnabled(true);
    frmmain->AdvancedSettings1->trigger();
    frmmain->btnpro->click();
    frmmain->SetDiscLoadedState();
    frmmain->ColorControl1->trigger();
    ASSERT_EQ(prompts.modals.size(), 4u);
    EXPECT_EQ(prompts.modals[0]->windowTitle(), "Misc Settings");
    EXPECT_EQ(prompts.modals[1]->windowTitle(), "Misc Settings");
    EXPECT_EQ(prompts.modals[2]->windowTitle(), "Advanced Settings");
    EXPECT_EQ(prompts.modals[3]->windowTitle(), "Color Control");
}
