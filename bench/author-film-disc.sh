#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Authors DVD folders from known pictures, one title for each way a disc
# carries film or video.
#
#   author-film-disc.sh DIR SECONDS     DIR/ntsc and DIR/pal
#   author-film-disc.sh --many DIR      DIR/many: 99 titles of two 1-second cells
#
# The pictures are ffmpeg's testsrc2 (moving shapes, text, and squares of
# noise that stand out from their rows everywhere, as combing would) made
# at the rate each title's source has: the truth that film-ssim.sh compares
# a conversion with.  Every cell starts the source afresh; its sound is a
# tone of its own.
#   ntsc 1  film behind soft pulldown (mpeg2enc -p: 24000/1001 coded, 3:2 flags)
#        2  film with the pulldown recorded (telecine 3:2 into 29.97 interlaced, in the
#           phase where a plain change to the film rate keeps a repeat and loses a frame)
#        3  interlaced video (59.94 fields woven into 29.97 frames)
#        4  progressive 29.97
#        5  1 to 4 in turn, one cell each
#        6  progressive 29.97 flagged interlaced
#   pal  1  interlaced video (50 fields woven into 25 frames)
#        2  progressive 25
set -euo pipefail

many=0
[ "${1:-}" = --many ] && { many=1; shift; }
out=${1:?usage: author-film-disc.sh DIR SECONDS | --many DIR}
seconds=${2:-1}
for tool in ffmpeg mpeg2enc mplex dvdauthor; do
  command -v $tool >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# frames RATE: how many frames the title's 29.97 or 25 frames span at RATE.
frames() {
  awk -v r="$1" -v s="$seconds" 'BEGIN { split(r, a, "/"); d = a[2] ? a[2] : 1;
    span = int(s * 30000 / 1001 + 0.5) * 1001 / 30000; if (r == 25 || r == 50) span = s;
    printf "%d", int(span * a[1] / d + 0.5) }'
}
tone() {   # tone HZ: the cell's sound, AC3
  ffmpeg -v error -y -f lavfi -i "sine=f=$1:sample_rate=48000:d=$seconds" -ac 2 -c:a ac3 -b:a 192k "$work/a.ac3"
}
# vob NAME SOURCE-RATE SIZE HZ [FILTERS] [interlaced]: MPEG-2 at 8 Mbit/s in a DVD program stream.
vob() {
  local rate=30000/1001 ilace=()
  [ "${3#*x}" = 576 ] && rate=25
  [ "${6:-}" = interlaced ] && ilace=(-flags +ilme+ildct -top 1)
  tone "$4"
  ffmpeg -v error -y -f lavfi -i "testsrc2=s=$3:r=$2" -i "$work/a.ac3" -vf "${5:-null}" -r $rate \
    -frames:v "$(frames $rate)" "${ilace[@]}" -c:v mpeg2video -b:v 8000k -maxrate 9000k -bufsize 1835k -g 15 \
    -bf 2 -pix_fmt yuv420p -aspect 4:3 -c:a copy -f dvd "$work/$1.vob"
}
soft_vob() {   # soft_vob NAME HZ
  tone "$2"
  ffmpeg -v error -f lavfi -i "testsrc2=s=720x480:r=24000/1001" -frames:v "$(frames 24000/1001)" -pix_fmt yuv420p \
    -f yuv4mpegpipe - | mpeg2enc -v 0 -f 8 -F 1 -p -a 2 -b 8000 -o "$work/soft.m2v" 2>"$work/mpeg2enc.log" ||
    { cat "$work/mpeg2enc.log" >&2; exit 1; }
  mplex -v 0 -f 8 -o "$work/$1.vob" "$work/soft.m2v" "$work/a.ac3"
}
author() {   # author NAME FORMAT TITLES-XML
  rm -rf "${out:?}/$1"
  echo "<dvdauthor dest=\"$out/$1\"><vmgm/><titleset><titles><video format=\"$2\" aspect=\"4:3\"/>
    <audio lang=\"en\"/>$3</titles></titleset></dvdauthor>" > "$work/$1.xml"
  VIDEO_FORMAT=${2^^} dvdauthor -x "$work/$1.xml" > "$work/$1.log" 2>&1 || { cat "$work/$1.log" >&2; exit 1; }
}
pgc() { local f; echo -n "<pgc>"; for f; do echo -n "<vob file=\"$work/$f.vob\"/>"; done; echo "</pgc>"; }

if [ $many = 1 ]; then
  soft_vob one 440
  xml=""
  for ((t = 0; t < 99; t++)); do xml+=$(pgc one one); done
  author many ntsc "$xml"
  exit 0
fi

soft_vob soft 400
vob hard 24000/1001 720x480 600 "telecine=first_field=top:pattern=32,setfield=tff" interlaced
vob video 60000/1001 720x480 800 "tinterlace=mode=interleave_top,setfield=tff" interlaced
vob prog 30000/1001 720x480 1000
vob flagged 30000/1001 720x480 1200 "setfield=tff" interlaced
author ntsc ntsc "$(pgc soft)$(pgc hard)$(pgc video)$(pgc prog)$(pgc soft hard video prog)$(pgc flagged)"

vob pvideo 50 720x576 500 "tinterlace=mode=interleave_top,setfield=tff" interlaced
vob pprog 25 720x576 700
author pal pal "$(pgc pvideo)$(pgc pprog)"
