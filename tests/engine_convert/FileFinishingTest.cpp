// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApiHost.h"
#include "convert_finisher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

namespace {

using namespace std::chrono_literals;
using namespace apitest;

// Finishing a file is the engine's work: closing returns while it goes on,
// the next job runs meanwhile, and each file is reported once it is whole.
TEST(FileFinishing, FilesAreFinishedOffTheCallersThreadAndReportedWhenWhole)
{
    static std::atomic<bool> release{false};
    release = false;
    dvdc::SetFinishHookForTests([](const std::string &) {
        while (!release)
            std::this_thread::sleep_for(1ms);
    });
    ApiHost host;
    ASSERT_TRUE(host.Open());
    const std::string dir = ct::MakeTempDir();
    const std::string first = dir + "/first.mp4", second = dir + "/second.mp4";
    ASSERT_TRUE(SetJob(host.h, 2, 0, 0, DC_CODEC_H264));
    ASSERT_TRUE(host.Convert(first));
    ASSERT_TRUE(host.WaitEnds(1));
    Converter_CloseFile(host.h);   // returns while the finisher is held
    EXPECT_EQ(Converter_GetFinishingCount(host.h), 1);
    ASSERT_TRUE(SetJob(host.h, 2, 0, 0, DC_CODEC_H264));
    ASSERT_TRUE(host.Convert(second));
    ASSERT_TRUE(host.WaitEnds(2));
    EXPECT_EQ(host.reports.back().progress, 100);
    EXPECT_TRUE(host.fileErrors.empty());
    release = true;
    host.CloseFile();
    dvdc::SetFinishHookForTests(nullptr);
    EXPECT_EQ(host.fileErrors, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(ct::Duration(first), ct::Duration(second));
    EXPECT_GT(ct::Duration(first), 0.0);
    ct::RemoveTree(dir);
}

// A merged ASF file whose markers need a copy that cannot be written (as on
// a full disk): the file stays as it was, plays, and the report says why.
TEST(FileFinishing, AFileWhoseChaptersCannotBeCopiedInIsKeptAndTheReasonTold)
{
    ApiHost host;
    ASSERT_TRUE(host.Open());
    const std::string dir = ct::MakeTempDir();
    const std::string path = dir + "/merged.wmv";
    std::filesystem::create_directory(path + ".chapters");
    for (int job = 0; job < 2; ++job) {
        ASSERT_TRUE(SetJob(host.h, 2, 0, 0, DC_CODEC_WMV, 0x80, 0, job == 0));
        ASSERT_TRUE(host.Convert(path));
        ASSERT_TRUE(host.WaitEnds(job + 1));
    }
    host.CloseFile();
    ASSERT_EQ(host.fileErrors.size(), 1u);
    EXPECT_NE(host.fileErrors[0].find("cannot write the chapters"), std::string::npos) << host.fileErrors[0];
    EXPECT_GT(ct::Duration(path), 0.0);
    ct::RemoveTree(dir);
}

} // namespace
