// SPDX-License-Identifier: GPL-3.0-or-later
// A DVD folder authored by the test, loaded through the real engine: the
// tree and the property report must list what lsdvd lists for it.
#include "catalogue/PropertyReport.h"
#include "AuthoredDvd.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

using namespace pellavan;
using pellavan::testing::DvdFolder;
namespace fs = std::filesystem;

namespace {

std::string Output(const std::string &cmd)
{
    std::string out;
    if (FILE *p = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

} // namespace

TEST(RealDisc, ReportListsWhatLsdvdLists)
{
    DvdFolder f;
    if (std::system("command -v ffmpeg dvdauthor lsdvd >/dev/null") != 0)
        GTEST_SKIP() << "ffmpeg, dvdauthor or lsdvd missing (tools/install-deps.sh installs them)";
    ASSERT_TRUE(f.Author());
    std::string root = (f.dir / "dvd").string() + "/";

    auto engine = CreateLibraryEngine();
    DiscCatalogue disc;
    ConverterInstance instance{*engine};
    ASSERT_TRUE(LoadDisc(instance, disc, root, "Unknow Disc"));
    std::vector<std::string> report = PropertyReportLines(disc);
    instance.Close();

    // What lsdvd says, turned into the report's own lines.
    std::string lsdvd = Output("lsdvd -x '" + root + "' 2>/dev/null");
    std::regex title(R"(Title: (\d+), Length: [^ ]+ Chapters: (\d+),)");
    std::regex video(R"(Format: (NTSC|PAL), Aspect ratio: (\d+)/(\d+), Width: (\d+), Height: (\d+))");
    std::regex angles(R"(Number of Angles: (\d+))");
    std::regex audio(R"(Audio: (\d+), Language: (\w+) - [^,]*, Format: (\w+), Frequency: (\d+), [^,]*, Channels: (\d+))");
    std::vector<std::string> want;
    int titles = 0;
    std::string line;
    std::istringstream in(lsdvd);
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, title)) {
            ++titles;
            want.push_back("Title" + m[1].str() + ":Total Chapter Num:" + std::to_string(std::stoi(m[2])));
        } else if (std::regex_search(line, m, video)) {
            want.push_back("Video:Width:" + m[4].str() + " Height:" + m[5].str() + " FPS:29 Format:" + m[1].str() +
                           " Aspect:" + m[2].str() + ":" + m[3].str());
        } else if (std::regex_search(line, m, angles)) {
            // lsdvd prints the angles after the video line, the report before it.
            want.insert(want.end() - 1, "Total Angle Num:" + m[1].str());
        } else if (std::regex_search(line, m, audio)) {
            std::string format = m[3].str() == "ac3" ? "AC3" : m[3].str() == "dts" ? "DTS" : "";
            char buf[32];
            std::snprintf(buf, sizeof buf, "Audio%.2d", std::stoi(m[1]));
            // The records name the language; the authored disc has these two.
            const std::string language = m[2].str() == "en" ? "English" : m[2].str() == "fr" ? "French" : m[2].str();
            want.push_back(std::string(buf) + ":Language:" + language + " Format:" + format +
                           " SamepleRate:" + m[4].str() + " Channel:" + m[5].str());
        }
    }
    ASSERT_EQ(titles, 2) << lsdvd;

    std::vector<std::string> got;
    std::string current;
    for (const std::string &l : report) {
        if (std::regex_search(l, m, std::regex(R"(^--------Title(\d+)-)")))
            current = m[1].str();
        else if (l.rfind("Total Chapter Num:", 0) == 0)
            got.push_back("Title" + current + ":" + l);
        else if (l.rfind("Video:", 0) == 0 || l.rfind("Total Angle Num:", 0) == 0 || l.rfind("Audio", 0) == 0)
            got.push_back(l);
    }
    EXPECT_EQ(got, want);
    EXPECT_EQ(report[2], "Total Title Num:2");
    // The tree names each audio stream's language.
    std::vector<std::string> audioLabels;
    for (size_t i = 0; i < disc.tree.Count(); ++i)
        if (disc.tree.NodeAt(i)->level == 3 && disc.tree.NodeAt(i)->label.find(" AC3 ") != std::string::npos)
            audioLabels.push_back(disc.tree.NodeAt(i)->label);
    EXPECT_EQ(audioLabels, (std::vector<std::string>{"01 AC3 English", "01 AC3 French"}));
    // The first title is checked with its chapters after the load.
    EXPECT_EQ(disc.tree.NodeAt(1)->state, StateCheckedHot);
    EXPECT_EQ(disc.tree.NodeAt(2)->state, StateCheckedHot);
}
