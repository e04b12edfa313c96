// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the Skin folder and the help document: beside the executable in a
// build, in the data folder once installed, and the choice between the
// compiled help and the HTML guide.
#include "platform/ProgramFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace pellavan;

namespace {
struct Tree {
    fs::path root;
    Tree()
    {
        // A blank in the prefix: installs under such folders must work too.
        char tmpl[] = "/tmp/pellavan program-XXXXXX";
        root = ::mkdtemp(tmpl);
        fs::create_directories(root / "bin");
    }
    ~Tree() { fs::remove_all(root); }
    std::string bin() const { return (root / "bin").string() + "/"; }
    std::string data() const { return (root / "share" / "pellavan").string() + "/"; }
    void Touch(const fs::path &file) const
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "x";
    }
};
} // namespace

TEST(ProgramFiles, SkinBesideTheExecutableWinsOverTheDataFolder)
{
    Tree t;
    fs::create_directories(t.root / "share" / "pellavan" / "Skin");
    EXPECT_EQ(ProgramFolder(t.bin()), t.data());   // installed layout
    // Without the trailing "/" the same folder is found.
    EXPECT_EQ(ProgramFolder((t.root / "bin").string()), t.data());
    fs::create_directories(t.root / "bin" / "Skin");
    EXPECT_EQ(ProgramFolder(t.bin()), t.bin());     // build tree layout
}

TEST(ProgramFiles, NoSkinAnywhereKeepsTheExecutableFolder)
{
    Tree t;
    EXPECT_EQ(ProgramFolder(t.bin()), t.bin());
    // A data folder without a Skin folder is not taken for the program's.
    fs::create_directories(t.root / "share" / "pellavan" / "help");
    EXPECT_EQ(ProgramFolder(t.bin()), t.bin());
    // A file named Skin is not the folder.
    t.Touch(t.root / "share" / "pellavan" / "Skin");
    EXPECT_EQ(ProgramFolder(t.bin()), t.bin());
    EXPECT_EQ(ProgramFolder(""), "");
}

TEST(ProgramFiles, HelpShowsTheCompiledFileOnlyWithItsViewer)
{
    Tree t;
    const std::string chm = t.data() + "norvdoc.chm";
    const std::string guide = t.data() + "help/index.html";
    EXPECT_EQ(HelpGuideFor(chm), guide);
    EXPECT_EQ(HelpGuideFor("norvdoc.chm"), "help/index.html");

    // Nothing there: nothing to show, whatever viewers exist.
    EXPECT_EQ(HelpDocumentToShow(chm, true, true), "");
    t.Touch(guide);
    EXPECT_EQ(HelpDocumentToShow(chm, true, true), guide);   // no compiled file: the guide
    EXPECT_EQ(HelpDocumentToShow(chm, true, false), "");     // ...but only with a browser
    t.Touch(chm);
    EXPECT_EQ(HelpDocumentToShow(chm, true, true), chm);
    EXPECT_EQ(HelpDocumentToShow(chm, true, false), chm);
    EXPECT_EQ(HelpDocumentToShow(chm, false, true), guide);  // no viewer for it: the guide
    EXPECT_EQ(HelpDocumentToShow(chm, false, false), "");
    // A folder of the help file's name is no document.
    fs::remove(chm);
    fs::create_directories(chm);
    EXPECT_EQ(HelpDocumentToShow(chm, true, false), "");
}
