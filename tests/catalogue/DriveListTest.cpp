#include "catalogue/DriveList.h"

#include <gtest/gtest.h>

#include <map>

using namespace pellavan;

namespace {

// Presents any set of drives.
class FakeDrives : public DriveSystem {
public:
    std::vector<std::string> order;
    std::map<std::string, DriveProbe> probes;
    std::vector<std::string> probed;

    void Add(const std::string &dev, DriveProbe p)
    {
        order.push_back(dev);
        probes[dev] = std::move(p);
    }
    std::vector<std::string> OpticalDrives() override { return order; }
    DriveProbe Probe(const std::string &drive) override
    {
        probed.push_back(drive);
        auto it = probes.find(drive);
        return it == probes.end() ? DriveProbe{} : it->second;
    }
};

DriveProbe Disc(const std::string &root, const std::string &label, uint32_t serial, const std::string &fs = "UDF",
                bool videoTs = true)
{
    DriveProbe p;
    p.readable = true;
    p.root = root;
    p.volume.VolumeName = label;
    p.volume.SerialNumber = serial;
    p.volume.FileSystemName = fs;
    p.hasVideoTs = videoTs;
    return p;
}

std::vector<DvdRow> Scan(FakeDrives &d) { return FillDVDList(d, GetCDDrives(d)); }

} // namespace

TEST(DriveList, TwoVideoDvdsAreListedInDriveOrder)
{
    FakeDrives d;
    d.Add("/dev/sr1", Disc("/media/b", "SECOND DISC", 0x12345678));
    d.Add("/dev/sr0", Disc("/media/a", "FIRST", 0xABCDEF01));
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
    d.Add("/dev/sr0", Disc("/media/data", "DATA", 0x1111, "ISO9660"));
    d.Add("/dev/sr1", Disc("/media/udf", "NOVIDEO", 0x2222, "UDF", false));
    d.Add("/dev/sr2", Disc("/media/low", "LOWER", 0x3333, "udf"));
    d.Add("/dev/sr3", Disc("/media/noserial", "NOSERIAL", 0));
    d.Add("/dev/sr4", DriveProbe{});                      // empty drive
    d.Add("/dev/sr5", Disc("/dev/sr5", "MOVIE", 0x4444)); // not mounted: the device is the root
    auto rows = Scan(d);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].root, "/dev/sr5");
    EXPECT_EQ(d.probed.size(), 6u);
}

TEST(DriveList, LabelsAndSerialTexts)
{
    FakeDrives d;
    d.Add("/dev/sr0", Disc("/media/x", " . .", 0x00AB12CD));
    auto rows = Scan(d);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].volume, "");
    EXPECT_EQ(rows[0].serial, "00AB-12CD");
    EXPECT_EQ(FormatSerial(0x00010002), "0001-0002");
    EXPECT_EQ(FormatSerial(0xFFFFFFFF), "FFFF-FFFF");
    EXPECT_EQ(FormatSerial(0), "0000-0000");
}
