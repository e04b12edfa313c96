// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandIns.h"
#include "catalogue/DriveList.h"

#include <gtest/gtest.h>

#include <map>

using namespace pellavan;
using namespace pellavan::testing;

namespace {

std::vector<DvdRow> Scan(FakeDrives &d) { return FillDVDList(d, GetCDDrives(d)); }

} // namespace

TEST(DriveList, TwoVideoDvdsAreListedInDriveOrder)
{
    FakeDrives d;
    d.Add("/dev/sr1", DiscProbe("/media/b", "SECOND DISC", 0x12345678));
    d.Add("/dev/sr0", DiscProbe("/media/a", "FIRST", 0xABCDEF01));
    auto rows = Scan(d);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].root, "/media/b");
    EXPECT_EQ(rows[0].volume, "SECONDDISC");
    EXPECT_EQ(rows[0].serial, "1234-5678");
    EXPECT_EQ(rows[1].root, "/media/a");
    EXPECT_EQ(rows[1].serial, "ABCD-EF01");
}

TEST(DriveList, OnlyReadableUdfWithVideoTsAndASerialCounts)
{
    FakeDrives d;
    d.Add("/dev/sr0", DiscProbe("/media/data", "DATA", 0x1111, "ISO9660"));
    d.Add("/dev/sr1", DiscProbe("/media/udf", "NOVIDEO", 0x2222, "UDF", false));
    d.Add("/dev/sr2", DiscProbe("/media/low", "LOWER", 0x3333, "udf"));
    d.Add("/dev/sr3", DiscProbe("/media/noserial", "NOSERIAL", 0));
    d.Add("/dev/sr4", DriveProbe{});                      // empty drive
    d.Add("/dev/sr5", DiscProbe("/dev/sr5", "MOVIE", 0x4444)); // not mounted: the device is the root
    auto rows = Scan(d);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].root, "/dev/sr5");
    EXPECT_EQ(d.probed.size(), 6u);
}

TEST(DriveList, LabelsAndSerialTexts)
{
    FakeDrives d;
    d.Add("/dev/sr0", DiscProbe("/media/x", " . .", 0x00AB12CD));
    auto rows = Scan(d);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].volume, "");
    EXPECT_EQ(rows[0].serial, "00AB-12CD");
    EXPECT_EQ(FormatSerial(0x00010002), "0001-0002");
    EXPECT_EQ(FormatSerial(0xFFFFFFFF), "FFFF-FFFF");
    EXPECT_EQ(FormatSerial(0), "0000-0000");
}
