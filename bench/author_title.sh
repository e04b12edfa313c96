#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Authors a DVD folder of one NTSC title for the benchmarks: a 6 Mbit/s
# MPEG-2 test pattern with an AC3 tone, SECONDS long (dvdauthor splits it
# into 1 GB VOB files).
#
# usage: bench/author_title.sh SECONDS DEST
set -euo pipefail
seconds=${1:?usage: author_title.sh SECONDS DEST}
dest=${2:?usage: author_title.sh SECONDS DEST}
work=$(mktemp -d /tmp/author-title-XXXXXX)
trap 'rm -rf "$work"' EXIT
rm -rf "$dest"
mkdir -p "$(dirname "$dest")"
ffmpeg -v error -y -f lavfi -i "testsrc2=size=720x480:rate=30000/1001:duration=$seconds" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$seconds" -ac 2 \
  -target ntsc-dvd -b:v 6000k -aspect 4:3 "$work/t.mpg" </dev/null
cat > "$work/disc.xml" <<XML
<dvdauthor dest="$dest"><vmgm/><titleset><titles>
<video format="ntsc" aspect="4:3"/><audio format="ac3"/>
<pgc><vob file="$work/t.mpg"/></pgc>
</titles></titleset></dvdauthor>
XML
VIDEO_FORMAT=NTSC dvdauthor -x "$work/disc.xml" >/dev/null 2>&1
