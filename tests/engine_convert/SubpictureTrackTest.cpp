// SPDX-License-Identifier: GPL-3.0-or-later
// Subpictures wait for their pictures in a track that cannot grow without end.
#include "convert_subpictures.h"

#include <gtest/gtest.h>

namespace {

std::vector<dvdc::Subpicture> One(int64_t start, int64_t end, int x)
{
    dvdc::Subpicture s;
    s.start = start;
    s.end = end;
    s.x = x;
    return {s};
}

TEST(SubtitleTrack, ShowsEachSubpictureInItsTimeAndKeepsOnlyABoundedBacklog)
{
    dvdc::SubtitleTrack track;
    track.Add(One(100, 200, 1), 100);
    track.Add(One(300, -1, 2), 300);
    EXPECT_TRUE(track.At(50).empty());
    ASSERT_EQ(track.At(150).size(), 1u);
    EXPECT_EQ(track.At(150)[0].x, 1);
    EXPECT_TRUE(track.At(250).empty());   // its end has passed
    ASSERT_EQ(track.At(1000).size(), 1u);
    EXPECT_EQ(track.At(1000)[0].x, 2);    // open-ended: until the next one

    // A stream whose times run far ahead of the pictures (damage) piles up
    // no more than the cap; the newest are the ones kept.
    for (int i = 0; i < 1000; ++i)
        track.Add(One(1'000'000 + i, -1, 100 + i), 1'000'000 + i);
    EXPECT_EQ(track.Pending(), dvdc::SubtitleTrack::kPending);
    ASSERT_EQ(track.At(2'000'000).size(), 1u);
    EXPECT_EQ(track.At(2'000'000)[0].x, 100 + 999);
    EXPECT_EQ(track.Pending(), 0u);
}

} // namespace
