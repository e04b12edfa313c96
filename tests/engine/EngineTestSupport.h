// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the engine tests: the authored discs, the engine log,
// scratch copies of discs.
#pragma once

#include "dvdconvert.h"

#include <QString>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace enginetest {

// A path inside the authored test discs ("ntsc", "pal.iso", ...).
std::string Disc(const std::string &name);

// The discs as make-test-discs.sh authors them.
struct AuthoredAudio { const char *language; int format; int channels; int streamId; };
struct AuthoredSub { const char *language; int streamId; };
struct AuthoredTitle {
    std::vector<int> chapterFrames;
    int width, height, standard, aspect;
    std::vector<AuthoredAudio> audios;
    std::vector<AuthoredSub> subs;
};
extern const std::vector<AuthoredTitle> kNtscDisc;
extern const std::vector<AuthoredTitle> kPalDisc;

// Collects the engine log while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    std::vector<std::string> messages;
    bool Contains(const std::string &part) const;
};

// A fresh converter that has opened `root` (0 when opening failed).
DCHandle OpenConverter(const std::string &root);

// A scratch copy of an authored disc folder.
class DiscCopy {
public:
    explicit DiscCopy(const std::string &name);
    std::string Root() const { return m_dir.path().toStdString() + "/disc"; }
    std::string File(const std::string &name) const { return Root() + "/VIDEO_TS/" + name; }
    std::vector<uint8_t> Read(const std::string &name) const;
    void Write(const std::string &name, const std::vector<uint8_t> &bytes) const;

private:
    QTemporaryDir m_dir;
};

// Runs a program; returns its exit code and fills stdout and stderr.
int Run(const QString &program, const QStringList &args, QByteArray *out, QByteArray *err = nullptr);

} // namespace enginetest
