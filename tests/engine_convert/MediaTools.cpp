// SPDX-License-Identifier: GPL-3.0-or-later
// Test media for the conversion side, made and checked with the ffmpeg
// tools: needs nothing of the engine, so the C interface's tests use it too.
#include "MediaTools.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <sstream>

namespace ct {

std::string Run(const std::string &command)
{
    std::string out;
    if (FILE *p = ::popen(command.c_str(), "r")) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

namespace {

std::string SourceCacheDir()
{
    static const std::string dir = MakeTempDir();
    // Made after `dir`, so it goes first at exit.
    static const struct Cleaner {
        ~Cleaner() { RemoveTree(dir); }
    } cleaner;
    return dir;
}

} // namespace

std::string MakeTempDir()
{
    char pattern[] = "/tmp/convert-test-XXXXXX";
    return ::mkdtemp(pattern) ? std::string(pattern) : std::string();
}

void RemoveTree(const std::string &dir)
{
    if (!dir.empty() && dir.rfind("/tmp/", 0) == 0 && !std::getenv("CONVERT_TEST_KEEP"))
        Run("rm -rf '" + dir + "'");
}

bool FileExists(const std::string &path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string &dir)
{
    std::vector<std::string> names;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (dirent *e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        ::closedir(d);
    }
    return names;
}

std::string MakeSource(const SourceSpec &s)
{
    std::ostringstream name;
    name << SourceCacheDir() << "/src_" << s.seconds << "_" << s.detailed << "_" << s.colour << "_" << s.toneHz
         << "_" << s.wide << "_" << s.subtitle << "_" << s.pal << "_" << s.border << "_" << s.toneStart << ".vob";
    const std::string path = name.str();
    if (FileExists(path))
        return path;
    const std::string size = s.pal ? "720x576" : "720x480";
    const std::string rate = s.pal ? "25" : "30000/1001";
    std::ostringstream cmd;
    cmd << "ffmpeg -v error -y -f lavfi -i '"
        << (s.detailed ? "testsrc2=size=" + size + ":rate=" + rate
                       : "color=c=" + s.colour + ":size=" + size + ":rate=" + rate)
        << ":duration=" << s.seconds << (s.border ? ",drawbox=x=0:y=0:w=iw:h=ih:t=40:c=white" : "")
        << "' -f lavfi -i 'aevalsrc=if(gte(t\\," << s.toneStart << ")\\,0.5*sin(2*PI*" << s.toneHz
        << "*t)\\,0):s=48000:d=" << s.seconds << "' -ac 2 -c:v mpeg2video -b:v 6000k -maxrate 8000k"
        << " -bufsize 1835k -g 15 -bf 2 -aspect " << (s.wide ? "16:9" : "4:3")
        << " -c:a ac3 -b:a 192k -f vob '" << path << (s.subtitle ? ".tmp" : "") << "' </dev/null";
    Run(cmd.str());
    if (s.subtitle) {
        // A white 200x40 subpicture at (200, 380), shown from 0.5 s to 2.5 s.
        const std::string png = path + ".png", xml = path + ".xml";
        Run("python3 -c \"import zlib,struct\n"
            "def c(t,d): return struct.pack('>I',len(d))+t+d+struct.pack('>I',zlib.crc32(t+d)&0xffffffff)\n"
            "raw=b''.join(b'\\x00'+bytes([255,255,255,255]*200) for y in range(40))\n"
            "open('" + png + "','wb').write(b'\\x89PNG\\r\\n\\x1a\\n'+c(b'IHDR',struct.pack('>IIBBBBB',200,40,8,6,0,0,0))"
            "+c(b'IDAT',zlib.compress(raw))+c(b'IEND',b''))\"");
        FILE *f = std::fopen(xml.c_str(), "w");
        std::fprintf(f, "<subpictures><stream><spu start=\"00:00:00.500\" end=\"00:00:02.500\" image=\"%s\" "
                        "xoffset=\"200\" yoffset=\"380\"/></stream></subpictures>\n", png.c_str());
        std::fclose(f);
        Run("spumux -s 0 '" + xml + "' < '" + path + ".tmp' > '" + path + "' 2>/dev/null");
    }
    return path;
}

std::string TestDisc()
{
    static std::string root;
    if (!root.empty())
        return root;
    const std::string dir = SourceCacheDir();
    auto make = [&](const std::string &name, const std::string &picture, int tone, double seconds) {
        std::ostringstream cmd;
        cmd << "ffmpeg -v error -y -f lavfi -i '" << picture << (picture.find('=') == std::string::npos ? "=" : ":")
            << "size=720x480:rate=30000/1001:duration=" << seconds
            << "' -f lavfi -i 'sine=frequency=" << tone << ":sample_rate=48000:duration=" << seconds
            << "' -ac 2 -target ntsc-dvd -b:v 4000k -aspect 4:3 '" << dir << "/" << name << "' </dev/null";
        Run(cmd.str());
    };
    make("t1.mpg", "color=c=0x2040C0", 440, 3);
    make("t2plain.mpg", "color=c=0xC02020", 1000, 2);
    make("t3.mpg", "testsrc2", 600, 12);
    SourceSpec withSub;
    withSub.subtitle = true;
    const std::string subSource = MakeSource(withSub);   // leaves the picture and its xml beside it
    Run("spumux -s 0 '" + subSource + ".xml' < '" + dir + "/t2plain.mpg' > '" + dir + "/t2.mpg' 2>/dev/null");
    const std::string xml = dir + "/disc.xml";
    FILE *f = std::fopen(xml.c_str(), "w");
    std::fprintf(f,
                 "<dvdauthor dest=\"%s/disc\"><vmgm/><titleset><titles>"
                 "<video format=\"ntsc\" aspect=\"4:3\"/><audio format=\"ac3\" lang=\"en\"/>"
                 "<subpicture lang=\"en\"/>"
                 "<pgc><vob file=\"%s/t1.mpg\" chapters=\"0,1.000,2.000\"/></pgc>"
                 "<pgc><vob file=\"%s/t2.mpg\"/></pgc>"
                 "<pgc><vob file=\"%s/t3.mpg\"/></pgc>"
                 "</titles></titleset></dvdauthor>\n",
                 dir.c_str(), dir.c_str(), dir.c_str(), dir.c_str());
    std::fclose(f);
    Run("VIDEO_FORMAT=NTSC dvdauthor -x '" + xml + "' >/dev/null 2>&1");
    root = dir + "/disc";
    return root;
}

std::map<std::string, std::string> Probe(const std::string &path, const std::string &stream)
{
    std::map<std::string, std::string> m;
    std::istringstream out(Run("ffprobe -v error -select_streams " + stream +
                               " -show_entries stream=codec_name,profile,level,width,height,r_frame_rate,"
                               "avg_frame_rate,sample_rate,channels,nb_frames,bit_rate,has_b_frames,pix_fmt "
                               "-show_entries format=duration,format_name -of default=nw=1 '" + path + "'"));
    std::string line;
    while (std::getline(out, line))
        if (auto eq = line.find('='); eq != std::string::npos)
            m[line.substr(0, eq)] = line.substr(eq + 1);
    return m;
}

double Duration(const std::string &path)
{
    auto m = Probe(path, "v:0");
    return m.count("duration") ? std::atof(m["duration"].c_str()) : -1;
}

std::vector<double> PacketTimes(const std::string &path, const std::string &stream)
{
    std::vector<double> times;
    std::istringstream out(Run("ffprobe -v error -select_streams " + stream +
                               " -show_entries packet=pts_time -of csv=p=0 '" + path + "'"));
    std::string line;
    while (std::getline(out, line))
        if (!line.empty() && line != "N/A")
            times.push_back(std::atof(line.c_str()));
    return times;
}

std::vector<uint8_t> FrameAt(const std::string &path, double seconds, int width, int height)
{
    std::ostringstream cmd;
    cmd << "ffmpeg -v error -ss " << seconds << " -i '" << path << "' -frames:v 1 -s " << width << "x" << height
        << " -f rawvideo -pix_fmt rgb24 - </dev/null";
    std::string raw = Run(cmd.str());
    return std::vector<uint8_t>(raw.begin(), raw.end());
}

namespace {
std::vector<int16_t> Samples(const std::string &path, double from, double seconds)
{
    std::ostringstream cmd;
    cmd << "ffmpeg -v error -ss " << from << " -t " << seconds << " -i '" << path
        << "' -vn -ac 1 -ar 48000 -f s16le - </dev/null";
    std::string raw = Run(cmd.str());
    std::vector<int16_t> out(raw.size() / 2);
    std::memcpy(out.data(), raw.data(), out.size() * 2);
    return out;
}
} // namespace

// Counts full swings through a band round zero, so coding noise on a low
// bit rate does not add crossings.
double ToneHz(const std::string &path, double from, double seconds)
{
    auto s = Samples(path, from, seconds);
    if (s.size() < 4800)
        return 0;
    double sum = 0;
    for (int16_t v : s)
        sum += double(v) * v;
    const double band = 0.3 * std::sqrt(sum / s.size());
    int swings = 0, side = 0;
    for (int16_t v : s) {
        if (v > band && side <= 0) {
            side = 1;
            ++swings;
        } else if (v < -band && side >= 0) {
            side = -1;
        }
    }
    return swings / (double(s.size()) / 48000.0);
}

double SoundLevel(const std::string &path, double from)
{
    auto s = Samples(path, from, 1);
    if (s.empty())
        return 0;
    double sum = 0;
    for (int16_t v : s)
        sum += double(v) * v;
    return std::sqrt(sum / s.size()) / 32768.0;
}

double SoundOnset(const std::string &path)
{
    auto s = Samples(path, 0, 30);
    for (size_t i = 0; i < s.size(); ++i)
        if (std::abs(s[i]) > 2048)
            return double(i) / 48000.0;
    return -1;
}

namespace {
// One "time,value" pair per line of an ffprobe csv answer.
std::vector<std::pair<double, double>> TimedValues(const std::string &csv)
{
    std::vector<std::pair<double, double>> values;
    std::istringstream out(csv);
    std::string line;
    while (std::getline(out, line)) {
        const auto comma = line.find(',');
        if (comma == std::string::npos)
            continue;
        const std::string value = line.substr(comma + 1);
        values.emplace_back(std::atof(line.c_str()), value.find("inf") != std::string::npos ? -200.0
                                                                                            : std::atof(value.c_str()));
    }
    return values;
}
} // namespace

// Both read through the same demuxer (lavfi's movie sources), so pictures and
// sound are on the one clock the player uses, edit lists included.
std::vector<double> FlashStarts(const std::string &path)
{
    const auto frames = TimedValues(Run("ffprobe -v error -f lavfi -i \"movie='" + path +
                                        "',signalstats\" -show_entries frame=pts_time:frame_tags="
                                        "lavfi.signalstats.YAVG -of csv=p=0"));
    std::vector<double> starts;
    bool bright = false;
    for (const auto &[time, luma] : frames) {
        if (luma > 128 && !bright)
            starts.push_back(time);
        bright = luma > 128;
    }
    return starts;
}

std::vector<double> ToneStarts(const std::string &path)
{
    // 1 ms blocks; a tone block is above -20 dB, far over the coding noise.
    const auto blocks = TimedValues(Run("ffprobe -v error -f lavfi -i \"amovie='" + path +
                                        "',aresample=48000,aformat=sample_fmts=s16:channel_layouts=mono,"
                                        "asetnsamples=n=48:p=0,astats=metadata=1:reset=1\" -show_entries "
                                        "frame=pts_time:frame_tags=lavfi.astats.Overall.RMS_level -of csv=p=0"));
    std::vector<double> starts;
    int quiet = 0;
    bool armed = true;   // 50 ms of silence since the last tone began
    for (const auto &[time, db] : blocks) {
        quiet = db < -40 ? quiet + 1 : 0;
        armed = armed || quiet >= 50;
        if (db > -20 && armed) {
            starts.push_back(time);
            armed = false;
        }
    }
    return starts;
}

Rgb MeanRgb(const std::vector<uint8_t> &rgb, int width, int x, int y, int w, int h)
{
    Rgb m{0, 0, 0};
    long count = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            const size_t k = (size_t(j) * width + i) * 3;
            if (k + 2 >= rgb.size())
                continue;
            m.r += rgb[k];
            m.g += rgb[k + 1];
            m.b += rgb[k + 2];
            ++count;
        }
    if (count) {
        m.r /= count;
        m.g /= count;
        m.b /= count;
    }
    return m;
}

} // namespace ct
