// SPDX-License-Identifier: GPL-3.0-or-later
// The tree view, the two dialogs and the disc commands on the offscreen platform.
#include "catalogue/CatalogueCommands.h"
#include "catalogue/ChapterView.h"
#include "widgets/DiscSourceDialog.h"
#include "catalogue/Unit2.h"
#include "catalogue/Unit3.h"
#include "ScriptedEngine.h"
#include "StandIns.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QListView>
#include <QTest>
#include <QTemporaryDir>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test";
        static char *argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QApplication *m_app = nullptr;
};
[[maybe_unused]] ::testing::Environment *const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void SendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

struct Window : CatalogueView {
    ScriptedEngine engine;
    ConverterInstance instance{engine};
    DiscCatalogue disc;
    FakeDrives drives;
    ChapterView view;
    Tfrmdvdlist dvdList;
    TForm3 report;
    // What the commands asked of the window.
    QString status, information, folderToChoose, notice = "unset";
    int discLoaded = 0, noDisc = 0, dialogs = 0;
    bool convertEnabled = false;
    std::function<int(QDialog &)> onDialog = [](QDialog &) { return 0; };
    CatalogueCommands commands{instance, disc, view, drives, dvdList, report, *this};

    void ShowStatus(const QString &s) override { status = s; }
    void SetConvertEnabled(bool on) override { convertEnabled = on; }
    void EnterDiscLoaded() override { ++discLoaded; }
    void EnterNoDisc() override { ++noDisc; }
    void ShowNotice(const QString &s) override { notice = s; }
    void ShowInformation(const QString &s) override { information = s; }
    QString ChooseFolder(const QString &) override { return folderToChoose; }
    int ExecDialog(QDialog &d) override
    {
        ++dialogs;
        return onDialog(d);
    }
    Window()
    {
        engine.script.titles.push_back(MakeTitle({1000, 2000}, {MakeAudio("en", 0, 0x80), MakeAudio("fr", 6, 0x81)},
                                                 {MakeSub("en", 0x20)}));
        engine.script.titles.push_back(MakeTitle({3000}));
        view.resize(400, 400);
        view.show();
    }
    std::vector<std::string> Opened() { return engine.CallsNamed("Converter_OpenDVD"); }
};

} // namespace

TEST(ChapterView, ShowsTheLoadedTreeAndItsPictures)
{
    Window w;
    ASSERT_TRUE(w.commands.LoadDisc("/media/dvd", "MOVIE"));
    TitleTreeModel *m = w.view.TreeModel();
    ASSERT_EQ(m->rowCount(), 1);
    QModelIndex disc = m->index(0, 0);
    EXPECT_EQ(m->data(disc, Qt::DisplayRole).toString(), "MOVIE");
    EXPECT_EQ(m->rowCount(disc), 2);
    EXPECT_TRUE(w.view.isExpanded(disc));
    QModelIndex title1 = m->index(0, 0, disc);
    EXPECT_FALSE(w.view.isExpanded(title1));
    EXPECT_EQ(w.view.currentIndex(), title1);
    ASSERT_EQ(w.view.StatePictures().size(), 6);
    ASSERT_EQ(w.view.NodePictures().size(), 10);
    for (const QPixmap &p : w.view.StatePictures())
        EXPECT_EQ(p.size(), QSize(17, 17));
    for (const QPixmap &p : w.view.NodePictures())
        EXPECT_EQ(p.size(), QSize(23, 16));
    EXPECT_NE(w.view.StatePictures()[0].toImage(), w.view.StatePictures()[3].toImage());
}

TEST(ChapterView, ClickingATitleCheckBoxChecksAndOpensIt)
{
    Window w;
    ASSERT_TRUE(w.commands.LoadDisc("/media/dvd", "MOVIE"));
    TreeNode &title2 = *w.disc.tree.NodeAt(9);
    ASSERT_EQ(title2.level, LevelTitle);
    QRect box = w.view.CheckBoxRect(title2);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_EQ(w.view.HitAt(box.center()).part, HitPart::CheckBox);
    EXPECT_EQ(w.view.HitAt(box.center() + QPoint(25, 0)).part, HitPart::Node);
    EXPECT_EQ(w.view.HitAt(QPoint(390, box.center().y())).part, HitPart::Nowhere);

    QWidget *vp = w.view.viewport();
    SendMouse(vp, QEvent::MouseButtonPress, box.center(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(title2.state, StateUncheckedPressed);
    SendMouse(vp, QEvent::MouseButtonRelease, box.center(), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(title2.state, StateCheckedHot);
    EXPECT_TRUE(w.view.isExpanded(w.view.TreeModel()->IndexOf(&title2)));
    EXPECT_TRUE(w.convertEnabled);

    // Pressing a chapter label shows its title's video line.
    TreeNode &chapter = *w.disc.tree.NodeAt(10);
    QRect row = w.view.visualRect(w.view.TreeModel()->IndexOf(&chapter));
    SendMouse(vp, QEvent::MouseButtonPress, w.view.CheckBoxRect(chapter).center() + QPoint(30, 0), Qt::LeftButton,
              Qt::LeftButton);
    EXPECT_FALSE(row.isEmpty());
    EXPECT_EQ(w.status, "Video:Width:720 Height:480 FPS:29 Format:NTSC Aspect:4:3");
}

TEST(ChapterView, OnlyTheDiscNameIsEditedAndItIsCleaned)
{
    Window w;
    ASSERT_TRUE(w.commands.LoadDisc("/media/dvd", "MOVIE"));
    TitleTreeModel *m = w.view.TreeModel();
    QModelIndex disc = m->index(0, 0);
    QModelIndex title = m->index(0, 0, disc);
    EXPECT_TRUE(m->flags(disc) & Qt::ItemIsEditable);
    EXPECT_FALSE(m->flags(title) & Qt::ItemIsEditable);
    EXPECT_FALSE(m->setData(title, "x", Qt::EditRole));
    QString edited;
    QObject::connect(&w.view, &ChapterView::chapterviewEdited, [&](const QString &s) { edited = s; });
    EXPECT_TRUE(m->setData(disc, "Mÿ: Fïlm.2", Qt::EditRole));
    EXPECT_EQ(w.disc.tree.DiscNode()->label, "MÿFïlm2");
    EXPECT_EQ(edited, "MÿFïlm2");
    EXPECT_TRUE(m->setData(disc, " / ", Qt::EditRole));
    EXPECT_EQ(m->data(disc, Qt::DisplayRole).toString(), "new_dvd");
}

TEST(DiscCommands, OpenDvdByNumberOfDiscs)
{
    Window w;
    w.commands.Open1Click();
    EXPECT_EQ(w.information, "No DVD Media Find.");
    EXPECT_TRUE(w.Opened().empty());
    EXPECT_EQ(w.discLoaded, 0);

    w.drives.Add("/dev/sr0", DiscProbe("/media/cdrom0", "MY MOVIE", 0x1234ABCD));
    w.commands.Open1Click();
    EXPECT_EQ(w.dialogs, 0);
    EXPECT_EQ(w.Opened(), (std::vector<std::string>{"Converter_OpenDVD(1, /media/cdrom0, 1)"}));
    EXPECT_EQ(w.disc.tree.DiscNode()->label, "MYMOVIE");
    EXPECT_EQ(w.discLoaded, 1);
    EXPECT_TRUE(w.convertEnabled);

    // Two discs: the dialog lists both; closing it loads nothing, "&OK"
    // without a choice loads the first row.
    w.drives.Add("/dev/sr1", DiscProbe("/dev/sr1", "OTHER", 0x1234ABCD));
    w.engine.ClearCalls();
    w.commands.Open1Click();
    EXPECT_EQ(w.dialogs, 1);
    EXPECT_EQ(w.dvdList.dvdlist->topLevelItemCount(), 2);
    EXPECT_EQ(w.dvdList.dvdlist->topLevelItem(1)->text(0), "/dev/sr1");
    EXPECT_EQ(w.dvdList.dvdlist->topLevelItem(1)->text(2), "1234-ABCD");
    EXPECT_TRUE(w.Opened().empty());
    w.onDialog = [&](QDialog &) {
        w.dvdList.spSkinButton1->click();
        return int(QDialog::Accepted);
    };
    w.commands.Open1Click();
    EXPECT_EQ(w.Opened(), (std::vector<std::string>{"Converter_OpenDVD(2, /media/cdrom0, 1)"}));
    w.onDialog = [&](QDialog &) {
        w.dvdList.dvdlist->setCurrentItem(w.dvdList.dvdlist->topLevelItem(1));
        w.dvdList.spSkinButton1->click();
        return int(QDialog::Accepted);
    };
    w.commands.Open1Click();
    EXPECT_EQ(w.Opened().back(), "Converter_OpenDVD(3, /dev/sr1, 1)");
    EXPECT_EQ(w.commands.DriveList(), (std::vector<std::string>{"/dev/sr0", "/dev/sr1"}));
}

TEST(DiscCommands, OpenFolder)
{
    Window w;
    w.commands.OpenDVDFolder1Click();   // cancelled
    EXPECT_TRUE(w.Opened().empty());

    w.folderToChoose = "/home/me/Movie";
    w.commands.OpenDVDFolder1Click();
    EXPECT_EQ(w.Opened().back(), "Converter_OpenDVD(1, /home/me/Movie/, 1)");
    EXPECT_EQ(w.disc.tree.DiscNode()->label, "Unknow Disc");
    EXPECT_EQ(w.discLoaded, 1);
    EXPECT_EQ(w.notice, "");

    // Refused: no message box, the engine's reason beside the empty tree.
    w.folderToChoose = "/";
    w.engine.script.openResult = false;
    w.engine.script.lastError = "no DVD files here";
    w.commands.OpenDVDFolder1Click();
    EXPECT_EQ(w.Opened().back(), "Converter_OpenDVD(2, /, 1)");
    EXPECT_TRUE(w.disc.tree.Empty());
    EXPECT_EQ(w.noDisc, 1);
    EXPECT_FALSE(w.convertEnabled);
    EXPECT_TRUE(w.information.isEmpty());
    EXPECT_EQ(w.notice, "This disc cannot be opened: no DVD files here");
}

// Disc images made here: a label that needs cleaning, one that cleans to
// nothing, and a file that holds no volume at all.
TEST(DiscCommands, OpenFolderTakesADiscImageNamedByItsLabel)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString();
    auto image = [&](const std::string &name, const std::string &label) {
        const std::string content = base + "/" + name + "-content/VIDEO_TS";
        std::filesystem::create_directories(content);
        std::ofstream(content + "/VIDEO_TS.IFO") << "x";
        const std::string iso = base + "/" + name;
        const std::string cmd = "genisoimage -quiet -udf -V '" + label + "' -o '" + iso + "' '" + base + "/" + name +
                                "-content' 2>/dev/null";
        return std::system(cmd.c_str()) == 0 ? iso : std::string();
    };
    const std::string labelled = image("movie.iso", "MY MOVIE.1");
    const std::string blank = image("blank.ISO", " . ");
    ASSERT_FALSE(labelled.empty() || blank.empty()) << "genisoimage failed";
    const std::string garbage = base + "/broken.iso";
    std::ofstream(garbage) << std::string(70000, 'z');

    Window w;
    w.folderToChoose = QString::fromStdString(labelled);
    w.commands.OpenDVDFolder1Click();
    EXPECT_EQ(w.Opened().back(), "Converter_OpenDVD(1, " + labelled + ", 1)");   // the file itself, no "/"
    EXPECT_EQ(w.disc.tree.DiscNode()->label, "MYMOVIE1");   // cleaned as a drive's label
    EXPECT_EQ(w.discLoaded, 1);
    EXPECT_TRUE(w.convertEnabled);

    w.folderToChoose = QString::fromStdString(blank);
    w.commands.OpenDVDFolder1Click();
    EXPECT_EQ(w.Opened().back(), "Converter_OpenDVD(2, " + blank + ", 1)");
    EXPECT_EQ(w.disc.tree.DiscNode()->label, "Unknow Disc");

    w.folderToChoose = QString::fromStdString(garbage);
    w.engine.script.openResult = false;   // the engine refuses it, as it would
    w.commands.OpenDVDFolder1Click();
    EXPECT_EQ(w.Opened().back(), "Converter_OpenDVD(3, " + garbage + ", 1)");
    EXPECT_TRUE(w.disc.tree.Empty());
    EXPECT_EQ(w.noDisc, 1);
    EXPECT_EQ(DiscImageName(garbage), "Unknow Disc");
}

// The dialog offers folders and images; either can be chosen.
TEST(DiscSourceDialog, ShowsFoldersAndImagesAndChoosesEither)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString base = dir.path();
    QDir(base).mkdir(QStringLiteral("Movie"));
    for (const char *name : {"disc.iso", "OTHER.ISO", "notes.txt"})
        std::ofstream((base + "/" + name).toStdString()) << "x";

    DiscSourceDialog dialog(nullptr, QStringLiteral("Select DVD folder"));
    EXPECT_EQ(dialog.windowTitle(), "Select DVD folder");
    dialog.setDirectory(base);
    dialog.show();
    auto *model = dialog.findChild<QFileSystemModel *>();
    ASSERT_NE(model, nullptr);
    auto shown = [&] {
        QStringList names;
        const QModelIndex root = model->index(base);
        for (int i = 0; i < model->rowCount(root); ++i) {
            const QModelIndex item = model->index(i, 0, root);
            if (model->flags(item).testFlag(Qt::ItemIsEnabled))
                names << model->fileName(item);
        }
        names.sort(Qt::CaseInsensitive);
        return names;
    };
    const QStringList want{"disc.iso", "Movie", "OTHER.ISO"};
    for (int i = 0; i < 100 && shown() != want; ++i)
        QTest::qWait(50);   // the model reads the folder on a thread of its own
    EXPECT_EQ(shown(), want);

    // The user clicks the image in the list and confirms it as a folder.
    auto *list = dialog.findChild<QListView *>(QStringLiteral("listView"));
    ASSERT_NE(list, nullptr);
    QModelIndex item;
    for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
        if (list->model()->index(row, 0, list->rootIndex()).data().toString() == "disc.iso")
            item = list->model()->index(row, 0, list->rootIndex());
    ASSERT_TRUE(item.isValid());
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    ASSERT_NE(buttons, nullptr);
    QPushButton *choose = buttons->button(QDialogButtonBox::Open);
    ASSERT_NE(choose, nullptr);
    QCoreApplication::processEvents();
    ASSERT_TRUE(choose->isEnabled());
    choose->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Chosen(), base + "/disc.iso");

    DiscSourceDialog folder(nullptr, QStringLiteral("Select DVD folder"));
    folder.setDirectory(base);
    folder.selectFile(base + "/Movie");
    folder.accept();
    EXPECT_EQ(folder.result(), QDialog::Accepted);
    EXPECT_EQ(folder.Chosen(), base + "/Movie");

    DiscSourceDialog text(nullptr, QStringLiteral("Select DVD folder"));
    text.setDirectory(base);
    text.selectFile(base + "/notes.txt");
    text.accept();
    EXPECT_TRUE(text.Chosen().isEmpty());   // only folders and images
}

TEST(DiscCommands, DiscWithoutTitlesLeavesConvertDisabled)
{
    Window w;
    w.engine.script.titles.clear();
    w.folderToChoose = "/media/empty";
    w.commands.OpenDVDFolder1Click();
    EXPECT_EQ(w.disc.tree.Count(), 1u);
    EXPECT_FALSE(w.convertEnabled);
    w.commands.SelectAllItems1Click();
    EXPECT_FALSE(w.convertEnabled);
}

TEST(DiscCommands, PropertyReportShownTwiceHoldsOneReport)
{
    Window w;
    w.commands.DVDProperty1Click();
    EXPECT_EQ(w.dialogs, 0) << "no disc: no dialog";
    ASSERT_TRUE(w.commands.LoadDisc("/media/dvd", "MOVIE"));
    w.commands.DVDProperty1Click();
    QString first = w.report.dvdinfo->toPlainText();
    w.commands.DVDProperty1Click();
    EXPECT_EQ(w.dialogs, 2);
    EXPECT_EQ(w.report.dvdinfo->toPlainText(), first);
    EXPECT_EQ(first.split('\n').size(), 3 + 7 + 5);
    EXPECT_TRUE(first.startsWith("DVD Volume:MOVIE\nTotal Length:00:00:06:000\n"));
}
