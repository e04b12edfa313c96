// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program on the real engine, once per output profile: a user
// opens the authored NTSC test disc as a folder, keeps two chapters of one
// title and a whole other title, picks the profile in the profile box, sets
// the output folder and presses Convert.  Every file made must be what the
// profile's defaults promise, as ffprobe reads it, and must decode cleanly.
// Then two runs in a row, the second after the user set the crop, quality,
// volume and sound delay of the first back: the second file shows none of them.
#include "MainWindowHarness.h"
#include "catalogue/ChapterView.h"
#include "run/ConversionRun.h"
#include "settings/Profiles.h"
#include "settings/Unit7.h"
#include "settings/adv.h"
#include "widgets/BrambleForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

using namespace pellavan;
using namespace pellavan::testing;

// Readable failure messages.
void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

constexpr double kNtscRate = 30000.0 / 1001.0;

// The jobs and the source frames each covers (the test disc's layout is
// fixed by make-test-discs.sh).
// Every title has its own colour, and a white bar across the top of the
// picture grows 100 source pixels a second of the title (16 at its start);
// the first subtitle stream shows a white box at the start of each chapter.
struct ExpectedFile {
    const char *stem;   // after the disc name
    int title;
    int chapter;        // -1: the whole title
    int sourceFrames;
    bool widescreen;    // 16:9: letterboxed into the profile's 4:3 frame sizes
    QRgb colour;
    double startSeconds;   // where in its title the file starts
};
constexpr ExpectedFile kFiles[] = {
    {"_Title01_01", 0, 0, 45, false, qRgb(255, 0, 0), 0},
    {"_Title01_02", 0, 1, 30, false, qRgb(255, 0, 0), 45 / kNtscRate},
    {"_Title03", 2, -1, 30 + 36, true, qRgb(0, 128, 0), 0},   // mono AC3 made stereo
};
constexpr int kSourceWidth = 720, kSourceHeight = 480;
constexpr QPoint kSubtitleCentre{160, 120};   // in source pixels

// What a profile's defaults select, read from the one profile table.
struct ProfileTarget {
    const Profile *profile;
    SizeItem size;
    RateItem rate;
    int sampleRate;
    const EncoderItem *encoder;
};

ProfileTarget TargetOf(int number)
{
    const Profile &p = Profiles()[size_t(number)];
    return {&p, p.sizes[size_t(p.defaults.size)], p.rates[size_t(p.defaults.rate)],
            SampleRates()[size_t(p.defaults.sampleRate)].hz, &Encoders()[size_t(p.defaults.encoder)]};
}

struct ToolRun {
    bool ok = false;   // ran and exited with 0
    QString out, errors;
};

ToolRun RunTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    ToolRun r;
    if (!p.waitForFinished(120000))
        return r;
    r.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.errors = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QJsonObject ProbeFile(const QString &file)
{
    const QString json = RunTool("ffprobe", {"-v", "error", "-of", "json", "-show_entries",
                                         "format=format_name,duration:stream=codec_type,codec_name,profile,"
                                         "level,width,height,sample_rate,channels,start_time,bit_rate",
                                         file}).out;
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

QJsonObject Stream(const QJsonObject &probe, const QString &type)
{
    for (const QJsonValue &s : probe["streams"].toArray())
        if (s["codec_type"].toString() == type)
            return s.toObject();
    return {};
}

struct Packet {
    double pts;
    double duration;   // 0 where the container keeps none
};

// The packets of one stream ("v:0", "a:0") in presentation order, in seconds.
std::vector<Packet> Packets(const QString &file, const char *stream)
{
    const QString csv = RunTool("ffprobe", {"-v", "error", "-select_streams", stream, "-show_entries",
                                            "packet=pts_time,duration_time", "-of", "csv=p=0", file}).out;
    std::vector<Packet> packets;
    for (const QString &line : csv.split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.trimmed().split(',');
        packets.push_back({f.value(0).toDouble(), f.value(1).toDouble()});
    }
    std::sort(packets.begin(), packets.end(), [](const Packet &a, const Packet &b) { return a.pts < b.pts; });
    return packets;
}

// The first picture of a file.
QImage FirstPicture(const QString &file, int width, int height)
{
    QProcess p;
    p.start("ffmpeg", {"-v", "error", "-i", file, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    p.waitForFinished(120000);
    const QByteArray bytes = p.readAllStandardOutput();
    if (bytes.size() != qsizetype(width) * height * 3)
        return {};
    return QImage(reinterpret_cast<const uchar *>(bytes.constData()), width, height, width * 3,
                  QImage::Format_RGB888)
        .copy();
}

bool Near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

int CountInRow(const QImage &picture, int y, QRgb colour)
{
    int n = 0;
    for (int x = 0; x < picture.width(); ++x)
        n += Near(picture.pixel(x, y), colour, 40) ? 1 : 0;
    return n;
}

class ProfileEndToEnd : public ::testing::TestWithParam<int>, public MainWindowHarness {
protected:
    std::unique_ptr<ConverterEngine> library;
    QTemporaryDir out;
    QString outFolder;

    void SetUp() override
    {
        const QString disc = QStringLiteral(TEST_DISCS "/ntsc");
        if (!QFile::exists(disc + "/VIDEO_TS/VIDEO_TS.IFO"))
            GTEST_SKIP() << "test disc not made";
        ASSERT_TRUE(out.isValid());
        outFolder = out.path() + "/";
        appPath = QStringLiteral(SOURCE_RESOURCES);
        library = CreateLibraryEngine();
        ASSERT_TRUE(library);
        Start(*library);
        // The buttons take the pointer only where they have been painted.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frmmain));
        QCoreApplication::processEvents();
        ChooseFolder(disc.toStdString());
    }
    void TearDown() override { Stop(); }

    ChapterView &Tree() { return *frmmain->chapterview; }
    TreeNode &Title(int i) { return *frmmain->Disc.tree.DiscNode()->children.at(size_t(i)); }

    // A left click on a node's check box, as the pointer gives it.
    void ClickBox(TreeNode &node)
    {
        Tree().scrollTo(Tree().TreeModel()->IndexOf(&node));
        const QRect box = Tree().CheckBoxRect(node);
        ASSERT_FALSE(box.isEmpty()) << node.label;
        ASSERT_EQ(Tree().HitAt(box.center()).part, HitPart::CheckBox) << node.label;
        QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {}, box.center());
    }

    // Home, then down to the profile, as the keyboard picks it in the box.
    void ChooseProfile(int number)
    {
        QComboBox *box = frmmain->profilecom;
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < number; ++i)
            QTest::keyClick(box, Qt::Key_Down);
    }

    // Clicks Convert and plays the UI thread until the run is over.
    bool ConvertAndWait(int seconds)
    {
        EXPECT_TRUE(frmmain->btnconvert->isEnabled());
        EXPECT_TRUE(frmmain->btnconvert->isVisible());
        QTest::mouseClick(frmmain->btnconvert, Qt::LeftButton);
        EXPECT_TRUE(frmmain->Conversion().RunOn()) << "Convert did not start a run";
        return QTest::qWaitFor([this] { return !frmmain->Conversion().RunOn(); }, seconds * 1000);
    }
};

TEST_P(ProfileEndToEnd, ConvertsTwoChaptersAndATitleToPlayableFiles)
{
    const int number = GetParam();
    const ProfileTarget t = TargetOf(number);
    const double rate = t.rate.num < 0 ? kNtscRate : double(t.rate.num) / t.rate.den;

    frmmain->OpenDVDFolder1Click();
    ASSERT_EQ(frmmain->Disc.tree.DiscNode()->children.size(), 3u);
    ASSERT_EQ(frmmain->Disc.tree.DiscNode()->label, "Unknow Disc");
    // The catalogue agrees with the authored layout the checks rest on.
    for (const ExpectedFile &f : kFiles) {
        const TTitleInfo &title = frmmain->Disc.info.titles.at(size_t(f.title));
        const int ms = f.chapter < 0 ? title.playTime : title.chapterTimes.at(size_t(f.chapter));
        EXPECT_NEAR(ms, f.sourceFrames * 1000 / kNtscRate, 2) << f.stem;
        EXPECT_EQ(title.video.aspectCode == 3, f.widescreen) << f.stem;
    }

    // Title 1 comes checked: leaving out its third chapter keeps chapters 1
    // and 2 as jobs of their own; title 3 is added whole.
    Tree().expand(Tree().TreeModel()->IndexOf(&Title(0)));
    ASSERT_TRUE(Title(0).children.at(2)->IsChapter());
    ClickBox(*Title(0).children.at(2));
    ClickBox(Title(2));
    ASSERT_FALSE(IsChecked(Title(0).state));
    ASSERT_TRUE(IsChecked(Title(2).state));

    ChooseProfile(number);
    ASSERT_EQ(frmmain->profilecom->currentIndex(), number);
    // The profile's defaults are what the Advanced Settings dialog shows.
    EXPECT_EQ(frmmain->profilecom->toolTip(), QString::fromUtf8(t.profile->description));
    EXPECT_EQ(frmadv->formatcom->currentText(), QString::fromUtf8(t.encoder->text));
    EXPECT_EQ(frmadv->sizecom->currentText(), QString::fromUtf8(t.size.text));
    EXPECT_EQ(frmadv->cvfrate->currentText(), QString::fromUtf8(t.rate.text));
    EXPECT_EQ(frmadv->casamlerate->currentText(), QString::number(t.sampleRate) + "Hz");

    const QString folder = outFolder;
    ChooseFolder(folder.toStdString());
    frmmain->EfolderButton->trigger();
    ASSERT_EQ(frmmain->Efolder->text(), outFolder);

    ASSERT_TRUE(ConvertAndWait(240)) << "the run did not end";
    EXPECT_EQ(frmmain->statusinfo->text(), QString::fromLatin1(kJobFinishedText));
    // No message or error box on the way; only the start-up's drive scan,
    // which finds no drive here, may have spoken.
    QStringList messages = prompts.messages;
    messages.removeAll(QStringLiteral("No DVD Media Find."));
    EXPECT_EQ(messages, QStringList());

    const QString ext = QString::fromUtf8(t.encoder->extension);
    QStringList names;
    for (const ExpectedFile &f : kFiles)
        names << "Unknow Disc" + QString::fromUtf8(f.stem) + ext;
    // Only the files of the jobs: no pass statistics or other leftovers.
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), names);

    const bool wmv = ext == ".wmv";
    const bool h264 = t.encoder->codec == Encoders()[0].codec;
    for (size_t i = 0; i < std::size(kFiles); ++i) {
        const QString file = outFolder + names[int(i)];
        SCOPED_TRACE(file.toStdString());
        const QJsonObject probe = ProbeFile(file);
        const QJsonObject v = Stream(probe, "video"), a = Stream(probe, "audio");
        ASSERT_FALSE(v.isEmpty());
        ASSERT_FALSE(a.isEmpty());

        EXPECT_TRUE(probe["format"]["format_name"].toString().contains(wmv ? "asf" : "mp4"))
            << probe["format"]["format_name"].toString().toStdString();
        EXPECT_EQ(v["codec_name"].toString(), wmv ? "wmv2" : h264 ? "h264" : "mpeg4");
        if (h264) {
            EXPECT_TRUE(v["profile"].toString().contains("Baseline")) << v["profile"].toString().toStdString();
            // Level 3.0 holds 1620 macroblocks a frame and 40500 a second.
            const double mbs = std::ceil(t.size.width / 16.0) * std::ceil(t.size.height / 16.0);
            if (mbs <= 1620 && mbs * rate <= 40500) {
                EXPECT_LE(v["level"].toInt(), 30);
            }
        }
        if (!wmv && !h264) {
            EXPECT_EQ(v["profile"].toString(), "Simple Profile");
        }
        EXPECT_EQ(v["width"].toInt(), t.size.width);
        EXPECT_EQ(v["height"].toInt(), t.size.height);

        // The first picture.  Keep aspect ratio is on in every profile: a
        // 16:9 title gets black bars above and below, a 4:3 one fills the
        // frame.  Then the title's colour, the time bar at the file's start
        // (a wrong title or chapter shows here) and the burned-in subtitle.
        const ExpectedFile &expected = kFiles[i];
        const QImage picture = FirstPicture(file, t.size.width, t.size.height);
        ASSERT_FALSE(picture.isNull());
        const int w = picture.width(), h = picture.height();
        int top = 0;
        while (top < h / 2 && CountInRow(picture, top, qRgb(0, 0, 0)) == w)
            ++top;
        int bottom = h;
        while (bottom > h / 2 && CountInRow(picture, bottom - 1, qRgb(0, 0, 0)) == w)
            --bottom;
        if (expected.widescreen) {
            // 16:9 in 4:3: a quarter of the height in bars, half of it above.
            EXPECT_NEAR(top, h / 8, 2);
            EXPECT_NEAR(h - bottom, h / 8, 2);
        } else {
            EXPECT_EQ(top, 0);
            EXPECT_EQ(bottom, h);
        }
        const double sx = double(w) / kSourceWidth, sy = double(bottom - top) / kSourceHeight;
        EXPECT_TRUE(Near(picture.pixel(w * 3 / 4, (top + bottom) / 2), expected.colour, 40));
        const double bar = (16 + expected.startSeconds * 100) * sx;
        EXPECT_NEAR(CountInRow(picture, top + 2, qRgb(255, 255, 255)), bar, 0.03 * w);
        EXPECT_TRUE(Near(picture.pixel(int(kSubtitleCentre.x() * sx), top + int(kSubtitleCentre.y() * sy)),
                         qRgb(255, 255, 255), 40));

        EXPECT_EQ(a["codec_name"].toString(), wmv ? "wmav2" : "aac");
        EXPECT_EQ(a["sample_rate"].toString().toInt(), t.sampleRate);
        EXPECT_EQ(a["channels"].toInt(), 2);
        // The sound's bit rate is the profile's; AAC varies a little around it.
        const int audioKbps = t.profile->audioRates[size_t(t.profile->defaults.audio)].kbps;
        EXPECT_NEAR(a["bit_rate"].toString().toDouble() / 1000.0, audioKbps, audioKbps * (wmv ? 0.01 : 0.2));

        // Constant rate: every picture one frame interval after the one before.
        const double source = kFiles[i].sourceFrames / kNtscRate;
        const double frame = 1.0 / rate;
        const std::vector<Packet> pictures = Packets(file, "v:0");
        ASSERT_GE(pictures.size(), 2u);
        EXPECT_NEAR(double(pictures.size()), source * rate, 1.0);
        const double tick = wmv ? 0.001 : 0.0001;   // ASF keeps milliseconds
        int uneven = 0;
        for (size_t k = 1; k < pictures.size(); ++k)
            uneven += std::fabs(pictures[k].pts - pictures[k - 1].pts - frame) > tick ? 1 : 0;
        EXPECT_EQ(uneven, 0) << "pictures off the constant rate";

        // Lengths within a frame of the source, give or take one block of
        // sound for the sound encoder's priming.  An ASF file cannot hold a
        // time before 0, so there every stream moves later by that priming;
        // the reader gives every stream the file's one length, so the end is
        // the picture's start plus that length.
        const std::vector<Packet> sound = Packets(file, "a:0");
        ASSERT_FALSE(sound.empty());
        const double block = sound.front().duration;
        const double start = v["start_time"].toString().toDouble();
        const double slack = frame + block;
        EXPECT_NEAR(start, a["start_time"].toString().toDouble(), block + tick);
        EXPECT_NEAR(probe["format"]["duration"].toString().toDouble() - start, source, slack);
        EXPECT_NEAR(pictures.back().pts + frame - start, source, slack);
        EXPECT_NEAR(sound.back().pts + sound.back().duration - start, source, slack);

        const ToolRun decode = RunTool("ffmpeg", {"-v", "error", "-i", file, "-f", "null", "-"});
        EXPECT_TRUE(decode.ok);
        EXPECT_EQ(decode.errors, "");
    }
}

// The first channel of a file's sound, 16-bit at 48 kHz.
std::vector<int16_t> Sound(const QString &file)
{
    QProcess p;
    p.start("ffmpeg", {"-v", "error", "-i", file, "-vn", "-ac", "1", "-ar", "48000", "-f", "s16le", "-"});
    p.waitForFinished(120000);
    const QByteArray bytes = p.readAllStandardOutput();
    std::vector<int16_t> samples(size_t(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}

double Level(const std::vector<int16_t> &samples, double from, double to)
{
    double sum = 0;
    size_t n = 0;
    for (size_t i = size_t(from * 48000); i < std::min(samples.size(), size_t(to * 48000)); ++i, ++n)
        sum += double(samples[i]) * samples[i];
    return n ? std::sqrt(sum / double(n)) / 32768.0 : 0.0;
}

// Seconds until the sound first rises above a sixteenth of full scale.
double Onset(const std::vector<int16_t> &samples)
{
    for (size_t i = 0; i < samples.size(); ++i)
        if (std::abs(samples[i]) > 2048)
            return double(i) / 48000.0;
    return -1;
}

// A run with a crop, a low quality, a doubled volume and the sound delayed, then
// the user sets each back (Cancel in the crop dialog, quality 50, volume
// 100, Delay unticked) and runs again: the second file must show none of it.
using SetBackEndToEnd = ProfileEndToEnd;

TEST_P(SetBackEndToEnd, ASettingSetBackHoldsNoLongerForTheNextRun)
{
    const ProfileTarget t = TargetOf(GetParam());
    frmmain->OpenDVDFolder1Click();
    ASSERT_EQ(frmmain->Disc.tree.DiscNode()->children.size(), 3u);
    ChooseProfile(GetParam());
    // Title 1 comes checked with its chapters: one job, "Unknow Disc_Title01".
    auto runInto = [&](const QString &folder) {
        EXPECT_TRUE(QDir().mkpath(folder));
        ChooseFolder(folder.toStdString());
        frmmain->EfolderButton->trigger();
        EXPECT_EQ(frmmain->Efolder->text(), folder);
        EXPECT_TRUE(ConvertAndWait(120)) << "the run did not end";
        EXPECT_EQ(frmmain->statusinfo->text(), QString::fromLatin1(kJobFinishedText));
        return folder + "Unknow Disc_Title01" + QString::fromUtf8(t.encoder->extension);
    };
    // The crop dialog as the user works it: shown (which starts from the
    // whole frame), the boxes set, then one of its buttons.
    auto crop = [&](const std::function<void()> &edit, QPushButton *button) {
        prompts.onModal = [&](QDialog *dialog) {
            if (dialog != frmpre)
                return;
            frmpre->show();
            edit();
            button->click();
        };
        frmmain->CropSettings1->trigger();
        prompts.onModal = nullptr;
    };

    crop([this] { frmpre->eright->setValue(frmpre->eright->maximum() / 2); }, frmpre->btnok);
    ASSERT_TRUE(frmpre->CropAccepted());
    frmadv->TVquality->setValue(0);
    frmadv->tavolume->setValue(200);
    frmadv->cdelay->click();
    ASSERT_TRUE(frmadv->etime->isEnabled());
    ASSERT_EQ(frmadv->etime->value(), 1000);
    const QString adjusted = runInto(outFolder + "adjusted/");

    crop([this] { frmpre->etop->setValue(20); }, frmpre->btncancel);
    ASSERT_FALSE(frmpre->CropAccepted());
    frmadv->TVquality->setValue(50);
    frmadv->tavolume->setValue(100);
    frmadv->cdelay->click();
    ASSERT_FALSE(frmadv->cdelay->isChecked());
    const QString plain = runInto(outFolder + "plain/");

    // Half the width cropped away keeps its aspect between black bars; the
    // uncropped picture is red to both edges.
    const QImage a = FirstPicture(adjusted, t.size.width, t.size.height);
    const QImage b = FirstPicture(plain, t.size.width, t.size.height);
    ASSERT_FALSE(a.isNull());
    ASSERT_FALSE(b.isNull());
    const int w = t.size.width, mid = t.size.height / 2;
    EXPECT_TRUE(Near(a.pixel(w / 2, mid), qRgb(255, 0, 0), 40));
    EXPECT_TRUE(Near(a.pixel(2, mid), qRgb(0, 0, 0), 30));
    EXPECT_TRUE(Near(a.pixel(w - 3, mid), qRgb(0, 0, 0), 30));
    EXPECT_TRUE(Near(b.pixel(2, mid), qRgb(255, 0, 0), 40)) << "still cropped";
    EXPECT_TRUE(Near(b.pixel(w - 3, mid), qRgb(255, 0, 0), 40)) << "still cropped";

    // libx264 names its settings in the stream: subme=0 is the fastest
    // (quality 0), subme=7 its default (quality 50).
    auto bytes = [](const QString &file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    EXPECT_TRUE(bytes(adjusted).contains(" subme=0 "));
    EXPECT_TRUE(bytes(plain).contains(" subme=7 ")) << "still the low quality";

    // The sound: a second late and twice as loud in the first file, neither in the second.
    const std::vector<int16_t> loud = Sound(adjusted), plainSound = Sound(plain);
    EXPECT_NEAR(Onset(loud), 1.0, 0.1);
    EXPECT_LT(Onset(plainSound), 0.1) << "still delayed";
    ASSERT_GT(Level(plainSound, 1.2, 2.4), 0.02);
    EXPECT_NEAR(Level(loud, 1.2, 2.4) / Level(plainSound, 1.2, 2.4), 2.0, 0.3) << "still at the doubled volume";
}

// The program's own H.264 profile, where the quality shows in the stream.
INSTANTIATE_TEST_SUITE_P(H264Profile, SetBackEndToEnd, ::testing::Values(5));

std::string ProfileName(const ::testing::TestParamInfo<int> &info)
{
    const ProfileTarget t = TargetOf(info.param);
    return "Profile" + std::to_string(info.param) + "_" + std::string(t.encoder->extension + 1) + "_" +
           std::to_string(t.size.width) + "x" + std::to_string(t.size.height);
}

INSTANTIATE_TEST_SUITE_P(EveryProfile, ProfileEndToEnd, ::testing::Range(0, kProfileCount), ProfileName);

} // namespace
