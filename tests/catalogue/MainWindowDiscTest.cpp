// SPDX-License-Identifier: GPL-3.0-or-later
// The disc commands inside the real main window: a new user's home, a
// scripted or the real engine, prompts and drives answered by the test.
#include "AuthoredDvd.h"
#include "ScriptedEngine.h"
#include "MainWindowHarness.h"
#include "catalogue/ChapterView.h"
#include "catalogue/Unit3.h"
#include "widgets/BrambleForm.h"
#include "widgets/NoticeStrip.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QLabel>
#include <QPlainTextEdit>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

// The windows over a scripted or the real engine; the property report's
// text is kept each time it is shown.
struct MainWindowFixture : ::testing::Test, MainWindowHarness {
    QStringList reports;
    ScriptedEngine engine;                       // outlives the windows
    std::unique_ptr<ConverterEngine> library;

    MainWindowFixture()
    {
        prompts.onModal = [this](QDialog *dialog) {
            if (auto *report = qobject_cast<TForm3 *>(dialog))
                reports << report->dvdinfo->toPlainText();
        };
    }
    void TearDown() override { Stop(); }
};

} // namespace

TEST_F(MainWindowFixture, OpenCommandsSwitchTheWindowByWhatLoaded)
{
    engine.script.titles.push_back(MakeTitle({1000, 2000}, {MakeAudio("en", 0, 0x80)}));
    Start(engine);
    frmmain->Open1Click();
    EXPECT_EQ(prompts.messages.value(prompts.messages.size() - 1), "No DVD Media Find.");
    EXPECT_FALSE(frmmain->DVDProperty1->isEnabled());

    ChooseFolder("/media/movie");
    frmmain->OpenDVDFolder1Click();
    EXPECT_EQ(engine.CallsNamed("Converter_OpenDVD").back(), "Converter_OpenDVD(2, /media/movie/, 1)");
    EXPECT_TRUE(frmmain->DVDProperty1->isEnabled());
    EXPECT_TRUE(frmmain->btnconvert->isEnabled());
    EXPECT_EQ(frmmain->chapterview->model()->rowCount(), 1);

    // Unchecking the only title through the tree disables Convert.
    TreeNode &title = *frmmain->Disc.tree.NodeAt(1);
    QPoint box = frmmain->chapterview->CheckBoxRect(title).center();
    TreeHit hit = frmmain->chapterview->HitAt(box);
    ASSERT_EQ(hit.part, HitPart::CheckBox);
    emit frmmain->chapterview->chapterviewMouseUp(hit, Qt::NoButton);
    EXPECT_FALSE(frmmain->btnconvert->isEnabled());
    frmmain->SelectAllItems1Click();
    EXPECT_TRUE(frmmain->btnconvert->isEnabled());

    // A folder the engine refuses leaves no disc and no disc commands.
    engine.script.openResult = false;
    frmmain->OpenDVDFolder1Click();
    EXPECT_TRUE(frmmain->Disc.tree.Empty());
    EXPECT_FALSE(frmmain->DVDProperty1->isEnabled());
    EXPECT_FALSE(frmmain->btnconvert->isEnabled());
}

TEST_F(MainWindowFixture, NewUserOpensAnAuthoredFolderWithTheRealEngine)
{
    DvdFolder dvd;
    if (std::system("command -v ffmpeg dvdauthor >/dev/null") != 0)
        GTEST_SKIP() << "ffmpeg or dvdauthor missing (tools/install-deps.sh installs them)";
    ASSERT_TRUE(dvd.Author());
    library = CreateLibraryEngine();
    Start(*library);
    ChooseFolder((dvd.dir / "dvd").string());
    frmmain->OpenDVDFolder1Click();

    const TitleTree &tree = frmmain->Disc.tree;
    ASSERT_EQ(tree.TopNodes().size(), 1u);
    EXPECT_EQ(tree.DiscNode()->label, "Unknow Disc");
    EXPECT_EQ(tree.DiscNode()->children.size(), 2u);
    EXPECT_EQ(tree.NodeAt(1)->state, StateCheckedHot);
    EXPECT_EQ(tree.Selected(), tree.NodeAt(1));

    frmmain->DVDProperty1Click();
    ASSERT_EQ(reports.size(), 1);
    QStringList lines = reports[0].split('\n');
    EXPECT_EQ(lines.value(2), "Total Title Num:2");
    EXPECT_TRUE(lines.contains("Total Chapter Num:3"));
    EXPECT_TRUE(lines.contains("Audio01:Language:French Format:AC3 SamepleRate:48000 Channel:1"));
}

// The same disc as an image file: chosen in Open DVD Folder, opened by the
// real engine, named by the image's label.
TEST_F(MainWindowFixture, DiscImageOpensThroughTheFolderCommandWithItsLabel)
{
    DvdFolder dvd;
    if (std::system("command -v ffmpeg dvdauthor genisoimage >/dev/null") != 0)
        GTEST_SKIP() << "ffmpeg, dvdauthor or genisoimage missing (tools/install-deps.sh installs them)";
    ASSERT_TRUE(dvd.Author());
    const std::string image = (dvd.dir / "movie.iso").string();
    const std::string cmd = "genisoimage -quiet -dvd-video -V 'MY DVD.2' -o '" + image + "' '" +
                            (dvd.dir / "dvd").string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    library = CreateLibraryEngine();
    Start(*library);
    ChooseFolder(image);
    frmmain->OpenDVDFolder1Click();

    const TitleTree &tree = frmmain->Disc.tree;
    ASSERT_EQ(tree.TopNodes().size(), 1u);
    EXPECT_EQ(tree.DiscNode()->label, "MYDVD2");
    EXPECT_EQ(tree.DiscNode()->children.size(), 2u);
    EXPECT_TRUE(frmmain->btnconvert->isEnabled());
    std::vector<std::string> audio;
    for (size_t i = 0; i < tree.Count(); ++i)
        if (tree.NodeAt(i)->level == 3 && tree.NodeAt(i)->label.find(" AC3 ") != std::string::npos)
            audio.push_back(tree.NodeAt(i)->label);
    EXPECT_EQ(audio, (std::vector<std::string>{"01 AC3 English", "01 AC3 French"}));
}

// Discs the engine refuses, each for its own reason: the reason shows beside
// the empty tree, no box opens, and the next opening clears it.
TEST_F(MainWindowFixture, RefusedDiscsSayWhyAndTheNextOpeningClearsIt)
{
    const QString good = QStringLiteral(TEST_DISCS "/ntsc/");
    if (!QFile::exists(good + "VIDEO_TS/VIDEO_TS.IFO"))
        GTEST_SKIP() << "test disc not made";
    QTemporaryDir dir;
    // A copy of the good disc with some of its files rewritten by `change`.
    auto copy = [&](const QString &name, const QStringList &files, const std::function<void(QByteArray &)> &change) {
        const QString to = dir.path() + "/" + name + "/VIDEO_TS/";
        QDir().mkpath(to);
        for (const QString &f : QDir(good + "VIDEO_TS").entryList(QDir::Files))
            QFile::copy(good + "VIDEO_TS/" + f, to + f);
        for (const QString &file : files) {
            QFile out(to + file);
            out.open(QIODevice::ReadWrite);
            QByteArray bytes = out.readAll();
            change(bytes);
            out.seek(0);
            out.write(bytes);
        }
        return (dir.path() + "/" + name).toStdString();
    };
    // Without libdvdcss an encrypted disc's video packets stay scrambled.
    const std::string scrambled = copy("scrambled", {"VTS_01_1.VOB"}, [](QByteArray &vob) {
        for (qsizetype i = 0; i + 7 < qMin<qsizetype>(vob.size(), 64 * 2048); ++i)
            if (vob.mid(i, 4) == QByteArray("\0\0\1\xE0", 4) && (vob[i + 6] & 0xC0) == 0x80)
                vob[i + 6] = char(vob[i + 6] | 0x10);
    });
    const std::string noIfo = copy("noifo", {"VIDEO_TS.IFO", "VIDEO_TS.BUP"}, [](QByteArray &ifo) { ifo.fill('\xFF'); });
    QDir().mkpath(dir.path() + "/nodvd");
    library = CreateLibraryEngine();
    Start(*library);
    for (const auto &[folder, word] : {std::pair<std::string, QString>{scrambled, "encrypted"},
                                       {dir.path().toStdString() + "/nodvd", ""}, {noIfo, ""}}) {
        ChooseFolder(folder);
        frmmain->OpenDVDFolder1Click();
        EXPECT_TRUE(frmmain->Disc.tree.Empty()) << folder;
        const QString reason = QString::fromStdString(library->LastError(frmmain->ConverterHandle.Handle()));
        EXPECT_TRUE(!reason.isEmpty() && reason.contains(word)) << reason.toStdString();
        EXPECT_TRUE(frmmain->noticestrip->isVisibleTo(frmmain)) << folder;
        EXPECT_EQ(frmmain->noticestrip->Notice(), "This disc cannot be opened: " + reason);
    }
    EXPECT_FALSE(prompts.messages.join('|').contains("cannot be opened"));
    ChooseFolder(good.toStdString());
    frmmain->OpenDVDFolder1Click();
    EXPECT_FALSE(frmmain->Disc.tree.Empty());
    EXPECT_FALSE(frmmain->noticestrip->isVisibleTo(frmmain));
}
