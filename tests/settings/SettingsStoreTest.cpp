// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UserFolders.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace pellavan;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string data = dir.path().toStdString() + "/";
    std::string path = SettingsFilePath(data);

    std::string Contents(const std::string &file) const
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string Contents() const { return Contents(path); }
    void Put(const std::string &text) const { std::ofstream(path, std::ios::binary) << text; }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
};

} // namespace

TEST_F(SettingsFile, FirstRunSequenceGivesTheDocumentedFile)
{
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(path, data + "mervale.ini");
    EXPECT_FALSE(SaveMiscSettings(path, LoadMiscSettings(path)));
    EXPECT_FALSE(SaveColorSettings(path, LoadColorSettings(path)));
    MainSettings main = LoadMainSettings(path);
    main.output = "D:\\Movies\\";
    EXPECT_FALSE(SaveMainSettings(path, main));
    EXPECT_EQ(Contents(), "[Misc]\nOpen=1\nDisSaver=1\nShut=0\n"
                          "[ColorControl]\npreste=0\nbright=0\ncontrast=0\nhue=0\nsaturat=0\n"
                          "[main]\nprofile=0\nTwoPass=0\nSingle=0\nPreview=1\nOutput=D:\\Movies\\\n");
    EXPECT_EQ(Files(), QStringList{"mervale.ini"}); // no temporary file left
}

TEST_F(SettingsFile, MissingFileGivesDefaults)
{
    const MainSettings m = LoadMainSettings(path);
    EXPECT_EQ(m, (MainSettings{0, false, false, true, DefaultOutputFolder()}));
    EXPECT_EQ(LoadMiscSettings(path), (MiscSettings{true, true, false}));
    EXPECT_EQ(LoadColorSettings(path), ColorSettings{});
    EXPECT_EQ(DefaultOutputFolder(), UserHomeFolder() + "Varnockoutput/");
    EXPECT_EQ(MiscDefaultOutputFolder(), UserHomeFolder() + "Tessaryoutput/");
    EXPECT_FALSE(SaveMainSettings(path, m));
    EXPECT_EQ(Contents().rfind("[main]\n", 0), 0u); // the main section only
    EXPECT_EQ(Contents().find("[Misc]"), std::string::npos);
}

TEST_F(SettingsFile, EveryKeyRoundTrips)
{
    const MainSettings main{6, true, true, false, "/media/out put/"};
    const MiscSettings misc{false, false, true};
    const ColorSettings color{4, 10, 37, 0, -20};
    EXPECT_FALSE(SaveColorSettings(path, color));
    EXPECT_FALSE(SaveMainSettings(path, main));
    EXPECT_FALSE(SaveMiscSettings(path, misc));
    EXPECT_EQ(LoadMainSettings(path), main);
    EXPECT_EQ(LoadMiscSettings(path), misc);
    EXPECT_EQ(LoadColorSettings(path), color);
    EXPECT_NE(Contents().find("[ColorControl]\npreste=4\nbright=10\ncontrast=37\nhue=0\nsaturat=-20\n"),
              std::string::npos);
}

TEST_F(SettingsFile, UpperCaseMainHeaderIsReadAndKept)
{
    Put("[MAIN]\nprofile=2\nTwoPass=0x1\nSingle=5\nPreview=abc\nOutput=/srv/v/\n");
    MainSettings m = LoadMainSettings(path);
    EXPECT_EQ(m, (MainSettings{2, true, true, true, "/srv/v/"}));
    Put("[MAIN]\nprofile=2\nPreview=0\n");
    EXPECT_FALSE(LoadMainSettings(path).preview);
    EXPECT_FALSE(SaveMainSettings(path, m));
    EXPECT_EQ(Contents(), "[MAIN]\nprofile=2\nPreview=1\nTwoPass=1\nSingle=1\nOutput=/srv/v/\n");
}

TEST_F(SettingsFile, HandEditedValuesAreBroughtIntoRange)
{
    Put("[main]\nprofile=12\nOutput=\n[ColorControl]\npreste=9\nbright=5000\ncontrast=-999\nhue=0x7fffffff\n");
    const MainSettings m = LoadMainSettings(path);
    EXPECT_EQ(m.profile, 0);
    EXPECT_EQ(m.output, DefaultOutputFolder());
    EXPECT_EQ(LoadColorSettings(path), (ColorSettings{4, 100, -100, 500, 0}));
    Put("[main]\nprofile=-1\n");
    EXPECT_EQ(LoadMainSettings(path).profile, 0);
}

TEST_F(SettingsFile, GarbageAndBinaryFilesStartWithDefaultsAndKeepTheirLines)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += i * 7 % 256 == '\n' ? 'x' : char(i * 7 % 256);
    const std::string original = junk + "\r\nno equals here\r\n[Misc]\r\nShut=1\r\nShut=0\r\n[Misc]\r\nOpen=0";
    Put(original);
    EXPECT_EQ(LoadMiscSettings(path), (MiscSettings{true, true, true}));
    EXPECT_EQ(LoadMainSettings(path).profile, 0);
    EXPECT_FALSE(SaveMiscSettings(path, MiscSettings{false, true, false}));
    const std::string saved = Contents();
    EXPECT_EQ(saved.substr(0, junk.size()), junk);
    EXPECT_NE(saved.find("[Misc]\r\nShut=0\r\nShut=0\r\nOpen=0\r\nDisSaver=1\r\n[Misc]\r\nOpen=0"),
              std::string::npos);
}

TEST_F(SettingsFile, TenMegabyteFileIsReadAndKept)
{
    std::string big = "[main]\nprofile=4\n";
    const std::string filler = "; " + std::string(98, 'f') + "\n";
    while (big.size() < (10u << 20))
        big += filler;
    Put(big);
    EXPECT_EQ(LoadMainSettings(path).profile, 4);
    MainSettings m = LoadMainSettings(path);
    m.twoPass = true;
    EXPECT_FALSE(SaveMainSettings(path, m));
    const std::string saved = Contents();
    EXPECT_EQ(saved.size(), big.size() + std::string("TwoPass=1\nSingle=0\nPreview=1\nOutput=\n").size() +
                                m.output.size());
    EXPECT_TRUE(LoadMainSettings(path).twoPass);
}

TEST_F(SettingsFile, FailedWriteLeavesThePreviousFileWhole)
{
    const MainSettings before{3, true, false, true, "/old/"};
    ASSERT_FALSE(SaveMainSettings(path, before));
    const std::string previous = Contents();
    bool firstCall = true;
    auto halfThenFull = [&](int fd, const void *data, size_t size) -> ssize_t {
        if (firstCall) {
            firstCall = false;
            return ::write(fd, data, size / 2);
        }
        errno = ENOSPC;
        return -1;
    };
    const auto error = SaveMainSettings(path, MainSettings{5, false, true, false, "/new/"}, halfThenFull);
    EXPECT_EQ(error, "Unable to write to " + path);
    EXPECT_FALSE(firstCall);
    EXPECT_EQ(Contents(), previous);
    EXPECT_EQ(LoadMainSettings(path), before);
    EXPECT_EQ(Files(), QStringList{"mervale.ini"});

    auto noProgress = [](int, const void *, size_t) -> ssize_t { return 0; };
    EXPECT_TRUE(SaveColorSettings(path, ColorSettings{}, noProgress));
    EXPECT_EQ(Contents(), previous);
}

TEST_F(SettingsFile, UnwritableLocationReportsThePath)
{
    Put("x");
    const std::string under = path + "/mervale.ini"; // its parent is a file
    EXPECT_EQ(SaveMiscSettings(under, MiscSettings{}), "Unable to write to " + under);
    EXPECT_EQ(Contents(), "x");
}

TEST_F(SettingsFile, SomethingElseInThePlaceOfTheFileIsLeftAlone)
{
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); // reading must not wait for a writer
    EXPECT_EQ(LoadMiscSettings(path), MiscSettings{});
    EXPECT_EQ(SaveMiscSettings(path, MiscSettings{}), "Unable to write to " + path);
    ::unlink(path.c_str());
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(path)));
    EXPECT_EQ(LoadMainSettings(path).profile, 0);
    EXPECT_TRUE(SaveMainSettings(path, MainSettings{}));
}

TEST_F(SettingsFile, OversizedFileIsNeitherParsedNorReplaced)
{
    Put("[main]\nprofile=5\n");
    ASSERT_EQ(::truncate(path.c_str(), off_t(IniFile::kMaxFileSize) + 1), 0);
    EXPECT_EQ(LoadMainSettings(path).profile, 0);
    EXPECT_EQ(SaveMainSettings(path, MainSettings{}), "Unable to write to " + path);
    EXPECT_EQ(QFileInfo(QString::fromStdString(path)).size(), qint64(IniFile::kMaxFileSize) + 1);
}

TEST(OutputFolderText, EndsWithExactlyOneSlash)
{
    EXPECT_EQ(OutputFolderText("/"), "/");
    EXPECT_EQ(OutputFolderText("/media/usb"), "/media/usb/");
    EXPECT_EQ(OutputFolderText("/media/usb/"), "/media/usb/");
}
