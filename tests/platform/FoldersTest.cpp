// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"
#include "platform/UserFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace pellavan;

namespace {
struct TempDir {
    fs::path path;
    TempDir()
    {
        char tmpl[] = "/tmp/pellavan-folders-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string str() const { return path.string(); }
};
} // namespace

TEST(Paths, TrailingDelimiterAndLeadingSegments)
{
    EXPECT_EQ(SetTrailingDelimiter("", true), "");
    EXPECT_EQ(SetTrailingDelimiter("/a/b", true), "/a/b/");
    EXPECT_EQ(SetTrailingDelimiter("/a/b/", true), "/a/b/");
    EXPECT_EQ(SetTrailingDelimiter("/a/b/", false), "/a/b");
    EXPECT_EQ(SetTrailingDelimiter("/a/b//", false), "/a/b/");   // only one is removed

    EXPECT_EQ(LeadingSegments(0, "home/u/Docs/"), "home/");
    EXPECT_EQ(LeadingSegments(2, "home/u/Docs/"), "home/u/Docs/");
    EXPECT_EQ(LeadingSegments(3, "home/u/Docs/"), "");
    EXPECT_EQ(LeadingSegments(1, "home/u"), "");   // "u" is not "/"-terminated
    EXPECT_EQ(LeadingSegments(0, ""), "");
}

TEST(Paths, MakePathCreatesEveryMissingLevel)
{
    TempDir t;
    const std::string deep = t.str() + "/Documents/Varnock/quintar/";
    ASSERT_FALSE(DirectoryExists(t.str() + "/Documents"));
    EXPECT_TRUE(MakePath(deep));
    EXPECT_TRUE(DirectoryExists(t.str() + "/Documents"));
    EXPECT_TRUE(DirectoryExists(t.str() + "/Documents/Varnock"));
    EXPECT_TRUE(DirectoryExists(deep));
    // Existing levels are fine, with or without the trailing "/".
    EXPECT_TRUE(MakePath(t.str() + "/Documents/Varnock/quintar"));
    EXPECT_TRUE(MakePath(t.str() + "/Documents/other"));
    EXPECT_TRUE(DirectoryExists(t.str() + "/Documents/other"));
}

TEST(Paths, MakePathFails)
{
    TempDir t;
    // A file where a folder should be: the level below cannot be made.
    std::ofstream(t.path / "blocker") << "x";
    EXPECT_FALSE(MakePath(t.str() + "/blocker/Varnock/quintar/"));
    EXPECT_FALSE(DirectoryExists(t.str() + "/blocker/Varnock"));
    EXPECT_FALSE(MakePath(t.str() + "/blocker"));
    // No drive (relative) or nothing after it.
    EXPECT_FALSE(MakePath("relative/folder/"));
    EXPECT_FALSE(MakePath("/"));
    EXPECT_FALSE(MakePath(""));
    EXPECT_FALSE(CreateDir(t.str() + "/none/one"));   // one level only
    EXPECT_TRUE(CreateDir(t.str() + "/one"));
    EXPECT_TRUE(CreateDir(t.str() + "/one"));          // already there
}

TEST(UserFolders, ParsesTheDocumentsEntry)
{
    const std::string file = "# written by xdg-user-dirs-update\n"
                             "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                             "XDG_DOCUMENTS_DIR=\"$HOME/My Documents/\"\n";
    EXPECT_EQ(ParseDocumentsDir(file, "/home/u"), "/home/u/My Documents");
    EXPECT_EQ(ParseDocumentsDir("XDG_DOCUMENTS_DIR=\"/srv/docs\"\n", "/home/u"), "/srv/docs");
    EXPECT_EQ(ParseDocumentsDir("XDG_DOCUMENTS_DIR=\"$HOME/a\\\"b\"\n", "/h"), "/h/a\"b");
    // Absent, commented out, unquoted, relative or $HOMEX: not resolved.
    EXPECT_EQ(ParseDocumentsDir("XDG_MUSIC_DIR=\"$HOME/Music\"\n", "/h"), "");
    EXPECT_EQ(ParseDocumentsDir("#XDG_DOCUMENTS_DIR=\"$HOME/D\"\n", "/h"), "");
    EXPECT_EQ(ParseDocumentsDir("XDG_DOCUMENTS_DIR=$HOME/D\n", "/h"), "");
    EXPECT_EQ(ParseDocumentsDir("XDG_DOCUMENTS_DIR=\"docs\"\n", "/h"), "");
    EXPECT_EQ(ParseDocumentsDir("XDG_DOCUMENTS_DIR=\"$HOMEX/D\"\n", "/h"), "");
    EXPECT_EQ(ParseDocumentsDir("XDG_DOCUMENTS_DIR=\"$HOME/D\"\n", ""), "");
}

TEST(UserFolders, ReadsTheUsersFileAndFallsBackToEmpty)
{
    TempDir t;
    ::setenv("HOME", t.str().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (t.str() + "/cfg").c_str(), 1);
    EXPECT_EQ(GetDocumentsFolder(), "");   // no user-dirs.dirs
    EXPECT_EQ(UserHomeFolder(), t.str() + "/");
    fs::create_directories(t.path / "cfg");
    std::ofstream(t.path / "cfg" / "user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
    EXPECT_EQ(GetDocumentsFolder(), t.str() + "/Dokumente");
}
