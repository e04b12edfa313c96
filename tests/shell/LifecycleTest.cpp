// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShellFixture.h"

#include "catalogue/Unit2.h"
#include "catalogue/Unit3.h"
#include "settings/Unit5.h"
#include "settings/Unit7.h"
#include "settings/Unit8.h"
#include "settings/adv.h"
#include "shell/AppError.h"
#include "shell/Unit4.h"
#include "widgets/BrambleForm.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using namespace pellavan;
using namespace pellavan::testing;

namespace {

class Lifecycle : public ShellTest {
protected:
    // A running (not paused) conversion, as the job driver leaves it.
    void StartConverting()
    {
        frmmain->SetConvertingState();
        frmmain->Timer1->start();
    }
};

} // namespace

TEST_F(Lifecycle, WindowsAreCreatedInOrderAndFirstShownAfterAllExist)
{
    auto dialogs = [] {
        const QWidgetList all = QApplication::allWidgets();
        return std::count_if(all.begin(), all.end(), [](QWidget *w) { return qobject_cast<QDialog *>(w); });
    };
    long dialogsAtCreate = -1, dialogsAtShow = -1;
    services.trace = [&](const QString &step) {
        if (step == "FormCreate")
            dialogsAtCreate = dialogs();
        if (step == "FormShow")
            dialogsAtShow = dialogs();
        engine.calls.push_back("step:" + step.toStdString());
    };
    CreateWindows();
    EXPECT_EQ(dialogsAtCreate, 0);
    EXPECT_FALSE(Logged("step:FormShow"));   // not before the loop shows it
    const std::vector<std::pair<QWidget *, QString>> captions = {
        {frmmain, "Pellavan "},         {frmdvdlist, "Select DVD to Convert"}, {frmadv, "Advanced Settings"},
        {Form3, "DVD Proptery"},        {Form4, "About Pellavan"},            {frmcolor, "Color Control"},
        {Form5, "Misc Settings"},       {frmpre, "Crop image settings"}};
    for (auto &[window, caption] : captions) {
        ASSERT_NE(window, nullptr) << caption.toStdString();
        EXPECT_EQ(window->windowTitle(), caption);
        EXPECT_FALSE(window->isVisible());
    }
    // One engine instance, created during FormCreate, with its wake-up.
    EXPECT_EQ(engine.CallsNamed("CreateConverter").size(), 1u);
    EXPECT_LT(Find("step:FormCreate"), Find("CreateConverter()"));
    EXPECT_EQ(frmmain->ConverterHandle.Handle(), engine.LastHandle());
    EXPECT_EQ(frmmain->PreviewDC, nullptr);

    ShowMain();
    EXPECT_EQ(dialogsAtShow, 7);
    const std::vector<std::string> order = {"step:FormShow", "step:LoadMainSettings", "step:SetIdleState",
                                            "step:LoadMiscSettings"};
    for (size_t i = 1; i < order.size(); ++i)
        EXPECT_LT(Find(order[i - 1]), Find(order[i])) << order[i];
    // The start-up timer runs once: its handler stops it.
    EXPECT_TRUE(frmmain->Timer2->isActive());
    EXPECT_EQ(frmmain->Timer2->interval(), 1000);
    frmmain->Timer2Timer();
    EXPECT_FALSE(frmmain->Timer2->isActive());
    // Showing again (after a minimise) does not run FormShow again.
    frmmain->hide();
    frmmain->show();
    EXPECT_EQ(std::count(Log().begin(), Log().end(), "step:FormShow"), 1);
}

TEST_F(Lifecycle, FoldersComeFromTheDocumentsFolderOrHome)
{
    fs::create_directories(home / ".config");
    std::ofstream(home / ".config" / "user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
    CreateWindows();
    EXPECT_EQ(frmmain->AppPath.toStdString(), app.string() + "/");
    EXPECT_EQ(frmmain->SkinPath.toStdString(), app.string() + "/Skin/");
    EXPECT_EQ(frmmain->DataPath.toStdString(), (home / "Papers").string() + "/Varnock/quintar/");
    EXPECT_TRUE(fs::is_directory(home / "Papers" / "Varnock" / "quintar"));   // every level made
    EXPECT_TRUE(frmmain->DataPathReady);
    DestroyWindows();

    // No documents folder: the home folder stands in for the drive root.
    fs::remove(home / ".config" / "user-dirs.dirs");
    CreateWindows();
    EXPECT_EQ(frmmain->DataPath.toStdString(), home.string() + "/Varnock/quintar/");
    EXPECT_TRUE(fs::is_directory(home / "Varnock" / "quintar"));
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(Lifecycle, UnmakeableDataFolderIsReportedAndTheProgramGoesOn)
{
    std::ofstream(home / "Papers") << "a file, not a folder";
    fs::create_directories(home / ".config");
    std::ofstream(home / ".config" / "user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
    CreateWindows();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0].toStdString(), "Cannot create " + (home / "Papers").string() + "/Varnock/quintar/.");
    EXPECT_FALSE(frmmain->DataPathReady);
    // Everything else is set up as usual.
    EXPECT_NE(frmmain->ConverterHandle.Handle(), 0u);
    EXPECT_TRUE(Logged("CreateConverter()"));
    ShowMain();
    EXPECT_EQ(frmmain->statusinfo->text(), " Welcome to use Pellavan");
}

TEST_F(Lifecycle, CloseWhileConvertingAnsweredNoKeepsEverythingGoing)
{
    CreateWindows();
    ShowMain();
    StartConverting();
    prompts.answer = kAnswerNo;
    EXPECT_FALSE(frmmain->close());
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(prompts.questions[0], "Now Converting,be sure Close Program?");
    EXPECT_TRUE(frmmain->isVisible());
    EXPECT_TRUE(frmmain->Timer1->isActive());
    EXPECT_FALSE(Logged("step:FormClose"));
    EXPECT_FALSE(Logged("step:SaveMainSettings"));
    EXPECT_FALSE(Logged("step:btnabortClick"));
    EXPECT_TRUE(engine.CallsNamed("CloseConverter").empty());
}

TEST_F(Lifecycle, CloseWhileConvertingAnsweredYesSavesThenStopsThenClosesTheEngine)
{
    CreateWindows();
    ShowMain();
    StartConverting();
    const DCHandle h = frmmain->ConverterHandle.Handle();
    prompts.answer = kAnswerYes;
    EXPECT_TRUE(frmmain->close());
    EXPECT_EQ(prompts.questions.size(), 1);
    DestroyWindows();
    const int asked = Find("question"), save = Find("step:SaveMainSettings"), stop = Find("step:btnabortClick"),
              destroy = Find("step:FormDestroy"), close = Find("CloseConverter(" + std::to_string(h) + ")");
    ASSERT_GE(asked, 0);
    EXPECT_LT(asked, save);
    EXPECT_LT(save, stop);
    EXPECT_LT(stop, destroy);
    EXPECT_LT(destroy, close);
    EXPECT_TRUE(engine.OpenHandles().empty());
}

TEST_F(Lifecycle, DismissingTheQuestionOtherwiseAlsoCloses)
{
    CreateWindows();
    ShowMain();
    StartConverting();
    prompts.answer = 2;   // closed with the box's own close button
    EXPECT_TRUE(frmmain->close());
    EXPECT_TRUE(Logged("step:SaveMainSettings"));
}

TEST_F(Lifecycle, CloseWhilePausedAsksNothingSavesAndLeavesTheEngineToDestroy)
{
    CreateWindows();
    ShowMain();
    engine.script.titles = {MakeTitle({1000})};
    prompts.folder = QString::fromStdString(root.string());
    frmmain->OpenDVDFolder1->trigger();
    emit frmmain->btnconvert->OnClick(frmmain->btnconvert);
    emit frmmain->btnpause->OnClick(frmmain->btnpause);
    ASSERT_TRUE(engine.Paused());
    const std::string closeEngine = "CloseConverter(" + std::to_string(frmmain->ConverterHandle.Handle()) + ")";
    EXPECT_TRUE(frmmain->close());
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_TRUE(Logged("step:SaveMainSettings"));
    EXPECT_FALSE(Logged("step:btnabortClick"));
    EXPECT_FALSE(Logged(closeEngine));
    DestroyWindows();
    EXPECT_TRUE(Logged(closeEngine));
}

TEST_F(Lifecycle, ExitWhileConvertingEndsAtOnceWithoutQuestionOrSaving)
{
    CreateWindows();
    ShowMain();
    StartConverting();
    QTimer::singleShot(0, frmmain->Exit1, &QAction::trigger);
    QTimer watchdog;   // a loop that never ends fails instead of hanging
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(Logged("step:Exit1Click"));
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_FALSE(Logged("step:FormCloseQuery"));
    EXPECT_FALSE(Logged("step:FormClose"));
    EXPECT_FALSE(Logged("step:SaveMainSettings"));
    EXPECT_FALSE(Logged("step:btnabortClick"));
    DestroyWindows();
    EXPECT_LT(Find("step:FormDestroy"), Find("CloseConverter(1)"));
    EXPECT_TRUE(engine.CallsNamed("Converter_CancelConvert").empty());
}

TEST_F(Lifecycle, ErrorsRaisedByHandlersGoToTheErrorBoxAndTheProgramGoesOn)
{
    CreateWindows();
    frmmain->Guard([] { throw AppError("Cannot open /media/disc"); });
    frmmain->Guard([] { throw AppError("Function HTMLHELP cannot loaded!"); });
    frmmain->Guard([] {});
    EXPECT_EQ(prompts.errors, QStringList({"Cannot open /media/disc.", "Function HTMLHELP cannot loaded!"}));
}

TEST_F(Lifecycle, MissingOrBrokenSkinPictureStillReachesTheIdleState)
{
    fs::remove(app / "Skin" / "zune.jpg");
    CreateWindows();
    ShowMain();
    EXPECT_EQ(frmmain->statusinfo->text(), " Welcome to use Pellavan");
    EXPECT_TRUE(frmmain->btnabort->isHidden());
    EXPECT_FALSE(frmmain->btnselectall->isEnabled());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].startsWith("Cannot load picture " + QString::fromStdString(app.string()) +
                                             "/Skin/zune.jpg"));
    EXPECT_TRUE(frmmain->Image1->pixmap().isNull());

    static const char head[] = "\xFF\xD8\xFF\xE0 this is not the rest of a picture";
    const QByteArray broken(head, sizeof head - 1);
    WriteSkinPicture(&broken);
    EXPECT_FALSE(frmmain->LoadSkinPicture());
    WriteSkinPicture();
    EXPECT_TRUE(frmmain->LoadSkinPicture());
    EXPECT_EQ(frmmain->Image1->pixmap().size(), QSize(320, 240));
}

TEST_F(Lifecycle, EngineReportsAreDrainedLaterOnTheWindowsThread)
{
    CreateWindows();
    const int before = engine.DispatchCount();
    engine.QueueReport(10, 0);   // wake-up on this thread: no drain inside it
    EXPECT_EQ(engine.DispatchCount(), before);
    std::thread engineThread([this] { engine.QueueReport(20, 0); });
    engineThread.join();
    EXPECT_EQ(engine.DispatchCount(), before);
    QCoreApplication::processEvents();
    EXPECT_GE(engine.DispatchCount(), before + 1);
    EXPECT_EQ(engine.PendingReports(), 0u);
}

TEST_F(Lifecycle, HelpNeedsAViewerAndTheFile)
{
    CreateWindows();
    desktop.opener = false;
    frmmain->HelpDocument1->trigger();
    frmmain->HelpDocument1->trigger();   // a later request looks again
    EXPECT_EQ(prompts.errors, QStringList({"HHCtrl.OCX not installed!\r HTMLHELP cannot displayed!",
                                           "HHCtrl.OCX not installed!\r HTMLHELP cannot displayed!"}));
    EXPECT_EQ(desktop.probes, 2);
    desktop.opener = true;
    desktop.viewer = false;
    frmmain->btnhelp->click();
    EXPECT_EQ(prompts.errors.last(), "Function HTMLHELP cannot loaded!");

    // With a viewer: the help file beside the program; found once, kept.
    desktop.viewer = true;
    std::ofstream(app / "norvdoc.chm") << "help";
    frmmain->HelpDocument1->trigger();
    frmmain->HelpDocument1->trigger();
    EXPECT_EQ(desktop.documents, QStringList(2, QString::fromStdString((app / "norvdoc.chm").string())));
    EXPECT_EQ(desktop.probes, 4);
    fs::remove(app / "norvdoc.chm");
    const qsizetype errorsBefore = prompts.errors.size();
    frmmain->HelpDocument1->trigger();
    EXPECT_EQ(prompts.errors.size(), errorsBefore + 1);
    EXPECT_EQ(desktop.documents.size(), 2);
}

TEST_F(Lifecycle, HelpFallsBackOnTheGuideInTheBrowser)
{
    CreateWindows();
    fs::create_directories(app / "help");
    std::ofstream(app / "help" / "index.html") << "<html></html>";
    std::ofstream(app / "norvdoc.chm") << "help";
    const QString guide = QString::fromStdString((app / "help" / "index.html").string());

    // No viewer for the compiled file: the browser shows the guide.
    desktop.viewer = false;
    desktop.browser = true;
    frmmain->HelpDocument1->trigger();
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('|').toStdString();
    EXPECT_EQ(desktop.documents, QStringList{guide});
    // The guide gone as well: a plain message, nothing is opened.
    fs::remove_all(app / "help");
    frmmain->btnhelp->click();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].startsWith("Cannot find the help file")) << prompts.errors[0].toStdString();
    EXPECT_EQ(desktop.documents.size(), 1);
}

TEST_F(Lifecycle, HomeSupportAndAbout)
{
    CreateWindows();

    frmmain->Home1->trigger();
    frmmain->Support1->trigger();
    ASSERT_EQ(desktop.urls.size(), 2);
    EXPECT_TRUE(desktop.urls[0].startsWith("http"));
    EXPECT_TRUE(desktop.urls[1].startsWith("mailto:"));
    frmmain->About1->trigger();
    ASSERT_EQ(prompts.modals.size(), 1u);
    EXPECT_EQ(prompts.modals[0], Form4);
}
