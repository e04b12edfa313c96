// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux drive layer on files the test makes: disc images written by
// genisoimage, a made-up sysfs tree and mountinfo text.
#include "catalogue/DriveList.h"
#include "platform/Drives.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace pellavan;
using namespace pellavan::platform;
namespace fs = std::filesystem;

namespace {

struct TempDir {
    fs::path path;
    TempDir()
    {
        std::string templ = (fs::temp_directory_path() / "pellavan-drives-XXXXXX").string();
        path = ::mkdtemp(templ.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

void Write(const fs::path &p, const std::string &text)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
}

// Makes an image of a folder; `udf` adds the UDF file system beside ISO 9660.
fs::path MakeImage(const TempDir &t, const std::string &name, const std::string &label, bool udf, bool videoTs)
{
    fs::path content = t.path / (name + "-content");
    Write(content / (videoTs ? "VIDEO_TS/VIDEO_TS.IFO" : "DATA/FILE.TXT"), "x");
    fs::path image = t.path / (name + ".iso");
    std::string cmd = "genisoimage -quiet " + std::string(udf ? "-udf " : "") + "-V '" + label + "' -o '" +
                      image.string() + "' '" + content.string() + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0)
        return {};
    return image;
}

} // namespace

TEST(Drives, ReadsAUdfImageWithVideoTs)
{
    TempDir t;
    fs::path image = MakeImage(t, "movie", "MY MOVIE.1", true, true);
    ASSERT_FALSE(image.empty()) << "genisoimage failed";
    TVolumeInformation info;
    ASSERT_TRUE(GetVolumeInfo(image.string(), info));
    EXPECT_EQ(info.FileSystemName, "UDF");
    EXPECT_EQ(info.VolumeName, "MY MOVIE.1");
    EXPECT_NE(info.SerialNumber, 0u);
    EXPECT_TRUE(UdfHasVideoTs(image.string()));

    // Not mounted: the image itself is the root, and it counts as a video DVD.
    DriveProbe p = LinuxDrives::ProbeNow(image.string(), (t.path / "no-mountinfo").string());
    EXPECT_TRUE(p.readable);
    EXPECT_EQ(p.root, image.string());
    EXPECT_TRUE(IsVideoDvd(p));
}

TEST(Drives, OtherVolumesAreNotVideoDvds)
{
    TempDir t;
    fs::path noVideo = MakeImage(t, "data", "DATA", true, false);
    fs::path iso = MakeImage(t, "iso", "PLAIN", false, true);
    ASSERT_FALSE(noVideo.empty() || iso.empty()) << "genisoimage failed";
    EXPECT_FALSE(UdfHasVideoTs(noVideo.string()));
    EXPECT_FALSE(IsVideoDvd(LinuxDrives::ProbeNow(noVideo.string(), "")));

    TVolumeInformation info;
    ASSERT_TRUE(GetVolumeInfo(iso.string(), info));
    EXPECT_EQ(info.FileSystemName, "CDFS");
    EXPECT_FALSE(UdfHasVideoTs(iso.string()));

    Write(t.path / "zeros", std::string(65536, '\0'));
    EXPECT_FALSE(GetVolumeInfo((t.path / "zeros").string(), info));
    EXPECT_EQ(info.SerialNumber, 0u);
    EXPECT_EQ(info.FileSystemName, "");
    EXPECT_FALSE(GetVolumeInfo((t.path / "missing").string(), info));
}

TEST(Drives, MountedDiscUsesItsMountPoint)
{
    TempDir t;
    fs::path image = MakeImage(t, "movie", "MOVIE", true, true);
    ASSERT_FALSE(image.empty()) << "genisoimage failed";
    fs::path mount = t.path / "media dir";
    fs::create_directories(mount / "VIDEO_TS");
    std::string escaped = mount.string();
    escaped.replace(escaped.find(' '), 1, "\\040");
    Write(t.path / "mountinfo", "22 1 0:21 / /proc rw - proc proc rw\n"
                                "40 22 7:3 / " + escaped + " ro,relatime shared:9 - udf " + image.string() + " ro\n");
    LinuxDrives drives(LinuxDrives::Paths{t.path.string(), "/dev", (t.path / "mountinfo").string()},
                       std::chrono::seconds(30));
    DriveProbe p = drives.Probe(image.string());
    EXPECT_EQ(p.root, mount.string());
    EXPECT_TRUE(p.hasVideoTs);
    EXPECT_TRUE(IsVideoDvd(p));
    auto rows = FillDVDList(drives, {image.string()});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].volume, "MOVIE");
}

// A disc's folder name may reach us in lower case: an ISO 9660 volume mounted
// with map=normal, or a UDF volume authored that way.
TEST(Drives, VideoTsFolderIsFoundWhateverItsCase)
{
    TempDir t;
    fs::path image = MakeImage(t, "movie", "MOVIE", true, true);
    ASSERT_FALSE(image.empty()) << "genisoimage failed";
    fs::path mount = t.path / "mnt";
    fs::create_directories(mount / "video_ts");
    Write(t.path / "mountinfo", "40 22 7:3 / " + mount.string() + " ro - iso9660 " + image.string() + " ro,map=normal\n");
    LinuxDrives drives(LinuxDrives::Paths{t.path.string(), "/dev", (t.path / "mountinfo").string()},
                       std::chrono::seconds(30));
    DriveProbe p = drives.Probe(image.string());
    EXPECT_EQ(p.root, mount.string());
    EXPECT_TRUE(p.hasVideoTs);
    EXPECT_TRUE(IsVideoDvd(p));

    fs::remove(mount / "video_ts");
    Write(mount / "Video_TS", "a file, not a folder");
    EXPECT_FALSE(drives.Probe(image.string()).hasVideoTs);
    fs::remove(mount / "Video_TS");
    fs::create_directories(mount / "VIDEO_TSX");
    EXPECT_FALSE(drives.Probe(image.string()).hasVideoTs);

    // Unmounted: the UDF volume's own root.
    fs::path content = t.path / "lower-content";
    Write(content / "video_ts" / "VIDEO_TS.IFO", "x");
    fs::path lower = t.path / "lower.iso";
    const std::string cmd = "genisoimage -quiet -udf -V LOWER -o '" + lower.string() + "' '" + content.string() +
                            "' 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(UdfHasVideoTs(lower.string()));
}

TEST(Drives, MountInfoMatchesByDeviceNumberOrSource)
{
    const std::string text = "30 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                             "41 30 11:0 / /media/cd\\040rom ro - udf /dev/sr0 ro\n";
    EXPECT_EQ(MountPointIn(text, makedev(11, 0), "/dev/whatever"), "/media/cd rom");
    EXPECT_EQ(MountPointIn(text, 0, "/dev/sr0"), "/media/cd rom");
    EXPECT_EQ(MountPointIn(text, makedev(11, 1), "/dev/sr1"), "");
}

TEST(Drives, OpticalDrivesComeFromTheKernelInDeviceOrder)
{
    TempDir t;
    auto drive = [&](const std::string &name, const std::string &type, const std::string &dev) {
        Write(t.path / "block" / name / "dev", dev + "\n");
        if (!type.empty())
            Write(t.path / "block" / name / "device" / "type", type + "\n");
    };
    drive("sr1", "5", "11:1");
    drive("sda", "0", "8:0");
    drive("sr0", "5", "11:0");
    drive("loop0", "", "7:0");
    EXPECT_EQ(ListOpticalDrives(t.path.string(), "/dev"), (std::vector<std::string>{"/dev/sr0", "/dev/sr1"}));
    EXPECT_TRUE(ListOpticalDrives((t.path / "none").string(), "/dev").empty());
}

TEST(Drives, SerialFromUuid)
{
    EXPECT_EQ(SerialFromUuid("6b18354700003714"), 0x6B183547u);
    EXPECT_EQ(SerialFromUuid("ABCD-1234"), 0xABCD1234u);
    EXPECT_EQ(SerialFromUuid("00ab"), 0xABu);
    EXPECT_EQ(SerialFromUuid(""), 0u);
}

// A query that hangs (here: a mount table nobody writes) counts as an empty
// drive once its time is up, and its worker is joined when it finally ends.
TEST(Drives, AHangingQueryCountsAsAnEmptyDrive)
{
    TempDir t;
    fs::path image = MakeImage(t, "movie", "MOVIE", true, true);
    ASSERT_FALSE(image.empty()) << "genisoimage failed";
    fs::path fifo = t.path / "mountinfo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> released{false};
    std::thread releaser;
    {
        LinuxDrives drives(LinuxDrives::Paths{t.path.string(), "/dev", fifo.string()}, std::chrono::milliseconds(200));
        std::vector<DriveProbe> probes = drives.ProbeAll({image.string(), image.string()});
        // Let the stuck readers go, each seeing an empty table, until the
        // destructor has joined them.
        releaser = std::thread([&] {
            while (!released) {
                int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        EXPECT_EQ(probes.size(), 2u);
        for (const DriveProbe &p : probes)
            EXPECT_FALSE(p.readable);
    }
    released = true;
    releaser.join();
}
