// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace enginetest {

std::string Disc(const std::string &name) { return std::string(ENGINE_TEST_DISCS) + "/" + name; }

// Channels 0: not checked (the authoring tool records DTS as 6 channels
// whatever the stream holds).  The 352x288 PAL title is recorded with the
// size code of 352x576, and the IFO is what the engine reports.
const std::vector<AuthoredTitle> kNtscDisc = {
    {{45, 30, 3}, 720, 480, 0, 0, {{"en", DC_AUDIO_AC3, 2, 0x80}, {"fr", DC_AUDIO_MPEG, 2, 0xC0}}, {{"en", 0x20}, {"de", 0x21}}},
    {{60}, 720, 480, 0, 0, {{"en", DC_AUDIO_AC3, 2, 0x80}, {"fr", DC_AUDIO_MPEG, 2, 0xC0}}, {{"en", 0x20}, {"de", 0x21}}},
    {{30, 36}, 720, 480, 0, 3, {{"en", DC_AUDIO_AC3, 1, 0x80}, {"ja", DC_AUDIO_DTS, 0, 0x88}}, {{"es", 0x20}}},
};
const std::vector<AuthoredTitle> kPalDisc = {
    {{50, 25, 2}, 720, 576, 1, 3, {{"de", DC_AUDIO_MPEG, 2, 0xC0}, {"it", DC_AUDIO_LPCM, 2, 0xA0}}, {{"fr", 0x20}}},
    {{25}, 352, 576, 1, 0, {{"en", DC_AUDIO_AC3, 2, 0x80}}, {}},
};

namespace {
void Collect(int, const char *message, void *context)
{
    static_cast<LogCapture *>(context)->messages.emplace_back(message);
}
} // namespace

LogCapture::LogCapture() { DVDConvert_SetLogHandler(Collect, this); }
LogCapture::~LogCapture() { DVDConvert_SetLogHandler(nullptr, nullptr); }

bool LogCapture::Contains(const std::string &part) const
{
    for (const std::string &m : messages)
        if (m.find(part) != std::string::npos)
            return true;
    return false;
}

DCHandle OpenConverter(const std::string &root)
{
    DCHandle h = CreateConverter();
    if (!Converter_OpenDVD(h, root.c_str(), 1)) {
        CloseConverter(h);
        return 0;
    }
    return h;
}

DiscCopy::DiscCopy(const std::string &name)
{
    QDir().mkpath(QString::fromStdString(Root() + "/VIDEO_TS"));
    QDir source(QString::fromStdString(Disc(name) + "/VIDEO_TS"));
    for (const QString &f : source.entryList(QDir::Files))
        QFile::copy(source.filePath(f), QString::fromStdString(File(f.toStdString())));
}

std::vector<uint8_t> DiscCopy::Read(const std::string &name) const
{
    QFile f(QString::fromStdString(File(name)));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray b = f.readAll();
    return std::vector<uint8_t>(b.begin(), b.end());
}

void DiscCopy::Write(const std::string &name, const std::vector<uint8_t> &bytes) const
{
    QFile f(QString::fromStdString(File(name)));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
}

int Run(const QString &program, const QStringList &args, QByteArray *out, QByteArray *err)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return -1;
    if (out)
        *out = p.readAllStandardOutput();
    if (err)
        *err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace enginetest
