// SPDX-License-Identifier: GPL-3.0-or-later
#include "Drives.h"

#include <blkid/blkid.h>
#include <udfread/udfread.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/cdrom.h>
#include <mutex>
#include <sstream>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace fs = std::filesystem;

namespace pellavan::platform {

namespace {

// The disc's folder name as DVD players read it: case does not matter (an
// ISO 9660 volume mounted with map=normal shows "video_ts").
bool IsVideoTsName(const std::string &name)
{
    static constexpr std::string_view kName = "VIDEO_TS";
    return name.size() == kName.size() &&
           std::equal(name.begin(), name.end(), kName.begin(),
                      [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
}

std::string ReadSmallFile(const fs::path &p)
{
    std::ifstream in(p);
    std::string s;
    std::getline(in, s);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isdigit(static_cast<unsigned char>(s[i + 2])) && std::isdigit(static_cast<unsigned char>(s[i + 3]))) {
            out += char((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string FileSystemNameOf(const std::string &type)
{
    if (type == "udf")
        return "UDF";
    if (type == "iso9660")
        return "CDFS";
    std::string up = type;
    for (char &c : up)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return up;
}

std::string Lookup(blkid_probe pr, const char *name)
{
    const char *value = nullptr;
    size_t len = 0;
    if (blkid_probe_lookup_value(pr, name, &value, &len) != 0 || !value)
        return {};
    std::string s(value, len);
    // The length counts the terminating zero.
    if (auto nul = s.find('\0'); nul != std::string::npos)
        s.resize(nul);
    return s;
}

} // namespace

std::vector<std::string> ListOpticalDrives(const std::string &sysRoot, const std::string &devRoot)
{
    struct Drive {
        unsigned major, minor;
        std::string name;
    };
    std::vector<Drive> found;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(fs::path(sysRoot) / "block", ec)) {
        if (ReadSmallFile(entry.path() / "device" / "type") != "5")
            continue;
        Drive d{0, 0, entry.path().filename().string()};
        std::string dev = ReadSmallFile(entry.path() / "dev");
        if (std::sscanf(dev.c_str(), "%u:%u", &d.major, &d.minor) != 2)
            d.major = d.minor = ~0u;
        found.push_back(d);
    }
    std::sort(found.begin(), found.end(), [](const Drive &a, const Drive &b) {
        return std::tie(a.major, a.minor, a.name) < std::tie(b.major, b.minor, b.name);
    });
    std::vector<std::string> out;
    for (const auto &d : found)
        out.push_back(devRoot + "/" + d.name);
    return out;
}

uint32_t SerialFromUuid(const std::string &uuid)
{
    uint32_t v = 0;
    int digits = 0;
    for (char c : uuid) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            continue;
        v = v << 4 | uint32_t(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10);
        if (++digits == 8)
            break;
    }
    return v;
}

bool GetVolumeInfo(const std::string &path, TVolumeInformation &info)
{
    info = TVolumeInformation{};
    // Non-blocking: an empty tray or a drive without medium answers at once.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    if (S_ISBLK(st.st_mode)) {
        int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
        if (status >= 0 && status != CDS_DISC_OK && status != CDS_NO_INFO) {
            ::close(fd);
            return false;
        }
    }
    bool ok = false;
    if (blkid_probe pr = blkid_new_probe()) {
        if (blkid_probe_set_device(pr, fd, 0, 0) == 0) {
            blkid_probe_enable_superblocks(pr, 1);
            blkid_probe_set_superblocks_flags(pr, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
            if (blkid_do_safeprobe(pr) == 0) {
                std::string type = Lookup(pr, "TYPE");
                if (!type.empty()) {
                    info.VolumeName = Lookup(pr, "LABEL");
                    info.SerialNumber = SerialFromUuid(Lookup(pr, "UUID"));
                    info.FileSystemName = FileSystemNameOf(type);
                    info.MaxComponentLength = 255;
                    ok = true;
                }
            }
        }
        blkid_free_probe(pr);
    }
    ::close(fd);
    return ok;
}

std::string MountPointIn(const std::string &mountinfo, dev_t device, const std::string &source)
{
    std::istringstream lines(mountinfo);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream f(line);
        std::string id, parent, majmin, root, point, field;
        if (!(f >> id >> parent >> majmin >> root >> point))
            continue;
        // Optional fields end at "-"; then the type and the source.
        while (f >> field && field != "-") {
        }
        std::string type, src;
        f >> type >> src;
        unsigned ma = 0, mi = 0;
        bool sameDevice = device != 0 && std::sscanf(majmin.c_str(), "%u:%u", &ma, &mi) == 2 &&
                          makedev(ma, mi) == device;
        if (sameDevice || (!src.empty() && Unescape(src) == source))
            return Unescape(point);
    }
    return {};
}

bool UdfHasVideoTs(const std::string &path)
{
    udfread *u = udfread_init();
    if (!u)
        return false;
    bool found = false;
    if (udfread_open(u, path.c_str()) == 0) {
        if (UDFDIR *dir = udfread_opendir(u, "/")) {
            udfread_dirent entry{};
            while (!found && udfread_readdir(dir, &entry))
                found = entry.d_type == UDF_DT_DIR && entry.d_name && IsVideoTsName(entry.d_name);
            udfread_closedir(dir);
        }
    }
    udfread_close(u);
    return found;
}

bool HasVideoTsFolder(const std::string &folder)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (IsVideoTsName(it->path().filename().string()) && it->is_directory(ec))
            return true;
    return false;
}

DriveProbe LinuxDrives::ProbeNow(const std::string &drive, const std::string &mountinfoPath)
{
    DriveProbe p;
    p.readable = GetVolumeInfo(drive, p.volume);
    if (!p.readable)
        return p;
    struct stat st {};
    dev_t rdev = ::stat(drive.c_str(), &st) == 0 && S_ISBLK(st.st_mode) ? st.st_rdev : 0;
    std::ifstream in(mountinfoPath);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string mount = MountPointIn(text, rdev, drive);
    std::error_code ec;
    if (mount.empty()) {
        p.root = drive;
        // Only a UDF volume can pass as a video DVD; others are not opened again.
        p.hasVideoTs = p.volume.FileSystemName == "UDF" && UdfHasVideoTs(drive);
    } else {
        p.root = mount;
        p.hasVideoTs = HasVideoTsFolder(mount);
    }
    return p;
}

// Queries that outlived their limit: joined once they end, at the latest on destruction.
struct LinuxDrives::Late {
    struct Job {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        DriveProbe result;
    };
    std::vector<std::pair<std::thread, std::shared_ptr<Job>>> running;

    void ReapFinished()
    {
        for (auto it = running.begin(); it != running.end();) {
            bool done;
            {
                std::lock_guard<std::mutex> lock(it->second->m);
                done = it->second->done;
            }
            if (done) {
                it->first.join();
                it = running.erase(it);
            } else {
                ++it;
            }
        }
    }
};

LinuxDrives::LinuxDrives(std::chrono::milliseconds perDriveLimit) : LinuxDrives(Paths{}, perDriveLimit) {}

LinuxDrives::LinuxDrives(Paths paths, std::chrono::milliseconds perDriveLimit)
    : m_paths(std::move(paths)), m_limit(perDriveLimit), m_late(std::make_unique<Late>())
{
}

LinuxDrives::~LinuxDrives()
{
    for (auto &r : m_late->running)
        r.first.join();
}

std::vector<std::string> LinuxDrives::OpticalDrives() { return ListOpticalDrives(m_paths.sysRoot, m_paths.devRoot); }

DriveProbe LinuxDrives::Probe(const std::string &drive) { return ProbeAll({drive}).front(); }

std::vector<DriveProbe> LinuxDrives::ProbeAll(const std::vector<std::string> &drives)
{
    m_late->ReapFinished();
    std::vector<std::pair<std::thread, std::shared_ptr<Late::Job>>> workers;
    for (const std::string &drive : drives) {
        auto job = std::make_shared<Late::Job>();
        std::thread worker([job, drive, mountinfo = m_paths.mountinfo] {
            DriveProbe r = ProbeNow(drive, mountinfo);
            std::lock_guard<std::mutex> lock(job->m);
            job->result = std::move(r);
            job->done = true;
            job->cv.notify_all();
        });
        workers.emplace_back(std::move(worker), job);
    }
    auto deadline = std::chrono::steady_clock::now() + m_limit;
    std::vector<DriveProbe> out;
    for (auto &[worker, job] : workers) {
        std::unique_lock<std::mutex> lock(job->m);
        if (job->cv.wait_until(lock, deadline, [&] { return job->done; })) {
            out.push_back(std::move(job->result));
            lock.unlock();
            worker.join();
        } else {
            // Too slow: counts as a drive without a readable medium.
            lock.unlock();
            out.emplace_back();
            m_late->running.emplace_back(std::move(worker), job);
        }
    }
    return out;
}

} // namespace pellavan::platform
