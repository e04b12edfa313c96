// SPDX-License-Identifier: GPL-3.0-or-later
// A DVD folder authored for a test with ffmpeg and dvdauthor.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace pellavan::testing {

struct DvdFolder {
    std::filesystem::path dir;
    DvdFolder()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "pellavan-dvd-XXXXXX").string();
        dir = ::mkdtemp(templ.data());
    }
    ~DvdFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    // Two titles: 2 chapters with English audio, 3 chapters with French audio.
    bool Author()
    {
        std::string d = dir.string();
        std::string src = "ffmpeg -v error -f lavfi -i testsrc=size=720x480:rate=30000/1001 -f lavfi "
                          "-i sine=frequency=440:sample_rate=48000 -t 4 -target ntsc-dvd ";
        std::string cmd = src + "-aspect 16:9 '" + d + "/a.mpg' && " + src + "-aspect 4:3 '" + d + "/b.mpg' && " +
                          "export VIDEO_FORMAT=NTSC && "
                          "dvdauthor -o '" + d + "/dvd' -t -a ac3+en -c 0,0:02 -f '" + d + "/a.mpg' && "
                          "dvdauthor -o '" + d + "/dvd' -t -a ac3+fr -c 0,0:01,0:03 -f '" + d + "/b.mpg' && "
                          "dvdauthor -o '" + d + "/dvd' -T";
        return std::system(("(" + cmd + ") >/dev/null 2>&1").c_str()) == 0;
    }
};

} // namespace pellavan::testing
