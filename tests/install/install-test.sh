#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# install-test.sh BUILD-DIR DVD-FOLDER APP-ID
# Installs the build into a staging folder (with blanks in its path), checks
# what was installed and that no path of the build machine is in it, runs the
# validators, runs the staged programs with a clean environment, then builds
# the Debian package and runs dvdconvert out of the unpacked package.
set -euo pipefail
build=$(readlink -f "$1")
disc=$(readlink -f "$2")
id=$3
source=$(readlink -f "$(dirname "$0")/../..")
fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || fail "$1 is missing (tools/install-deps.sh installs it)"; }
for tool in desktop-file-validate appstreamcli man lintian dpkg-deb cpack objcopy readelf inotifywait; do need "$tool"; done
[ -d "$disc/VIDEO_TS" ] || fail "no test disc at $disc"

work=$(mktemp -d "/tmp/pellavan install test.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage="$work/stage dir"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
usr="$stage/usr"

echo "== installed files"
for f in bin/pellavan bin/dvdconvert lib/pellavan/libdvdconvert.so \
         share/pellavan/Skin/zune.jpg share/pellavan/help/index.html share/pellavan/help/style.css \
         share/pellavan/norvdoc.chm "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
         share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/256x256/apps/$id.png \
         share/man/man1/pellavan.1.gz share/man/man1/dvdconvert.1.gz \
         share/doc/pellavan/copyright share/doc/pellavan/changelog.gz; do
  [ -s "$usr/$f" ] || fail "not installed: $f"
done
# The guide's pages all link to pages that exist.
for link in $(grep -oh 'href="[^"#:]*"' "$usr/share/pellavan/help/"*.html | sed 's/href="//; s/"$//' | sort -u); do
  [ -f "$usr/share/pellavan/help/$link" ] || fail "the guide links to a missing page: $link"
done
icon=$(sed -n 's/^Icon=//p' "$usr/share/applications/$id.desktop")
[ "$icon" = "$id" ] || fail "the entry's icon is '$icon', the icons are named $id"

echo "== no build machine paths"
for f in "$usr/bin/pellavan" "$usr/bin/dvdconvert" "$usr/lib/pellavan/libdvdconvert.so"; do
  objcopy --strip-debug "$f" "$work/stripped"
  ! grep -q -F -e "$build" -e "$source" "$work/stripped" || fail "$f holds a path of the build tree"
done
for f in "$usr/bin/pellavan" "$usr/bin/dvdconvert"; do
  runpath=$(readelf -d "$f" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
  [ "$runpath" = '$ORIGIN/../lib/pellavan' ] || fail "$f has the run path '$runpath'"
done

echo "== validators"
desktop-file-validate "$usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml"
for page in pellavan dvdconvert; do
  warnings=$(man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done
# dvdconvert's page names every command and option its usage text lists.
usage=$("$usr/bin/dvdconvert" 2>&1 || true)
manual=$(MANWIDTH=200 man -l "$usr/share/man/man1/dvdconvert.1.gz" 2>/dev/null)
for word in $(grep -oE '(^|[ [])--?[a-z][a-z-]*' <<<"$usage" | tr -d ' [' | sort -u) info still convert; do
  grep -q -e "$word" <<<"$manual" || fail "the manual page lacks $word"
done

# A clean environment: no LD_LIBRARY_PATH, a fresh home, nothing of the build.
home="$work/home"
mkdir -p "$home"
clean=(env -i "PATH=/usr/bin:/bin" "HOME=$home" "XDG_RUNTIME_DIR=$work" "XDG_CONFIG_HOME=$home/.config")

run_dvdconvert() {   # run_dvdconvert BIN-FOLDER WHERE
  local bin=$1 where=$2
  "${clean[@]}" "$bin/dvdconvert" info "$disc" >"$work/info.json" || fail "$where: dvdconvert info"
  grep -q '"titles"' "$work/info.json" || fail "$where: no titles in dvdconvert info"
  # still and convert load the engine library: it must be the installed one.
  "${clean[@]}" LD_DEBUG=libs "$bin/dvdconvert" still "$disc" 1 0 "$work/still.png" 2>"$work/still.log" ||
    { tail -5 "$work/still.log"; fail "$where: dvdconvert still"; }
  grep -q "calling init: $bin/../lib/pellavan/libdvdconvert.so" "$work/still.log" ||
    fail "$where: the engine was not loaded from $bin/../lib/pellavan"
  [ "$(head -c 4 "$work/still.png" | od -An -c | tr -d ' ')" = '211PNG' ] || fail "$where: still wrote no PNG"
  "${clean[@]}" "$bin/dvdconvert" convert "$disc" "$work/out.mp4" 1:3-3 --size 160x120 >/dev/null 2>&1 ||
    fail "$where: dvdconvert convert"
  head -c 12 "$work/out.mp4" | grep -q ftyp || fail "$where: convert wrote no MP4 file"
  rm -f "$work/still.png" "$work/out.mp4"
}

echo "== the staged dvdconvert"
run_dvdconvert "$usr/bin" stage

echo "== the staged pellavan, offscreen"
# It must start, show its window with the Skin folder's picture (read from
# the data folder: nothing lies beside the executable) and live through its
# first second, when it looks at the drives by itself; the data folder it
# makes shows it got that far.
inotifywait -q -m -e open --format '%f' "$usr/share/pellavan/Skin" >"$work/skin.log" 2>&1 &
watcher=$!
sleep 1
"${clean[@]}" QT_QPA_PLATFORM=offscreen "$usr/bin/pellavan" >"$work/pellavan.log" 2>&1 &
pid=$!
sleep 4
kill "$watcher"
wait "$watcher" 2>/dev/null || true
grep -qx zune.jpg "$work/skin.log" || fail "pellavan did not read Skin/zune.jpg from its data folder"
kill -0 "$pid" 2>/dev/null || { cat "$work/pellavan.log"; fail "pellavan ended early"; }
grep -q -F "$usr/lib/pellavan/libdvdconvert.so" /proc/$pid/maps ||
  grep -q -F "$usr/bin/../lib/pellavan/libdvdconvert.so" /proc/$pid/maps ||
  fail "pellavan did not use the installed engine library"
kill "$pid"
wait "$pid" 2>/dev/null || true
[ -d "$home/Varnock/quintar" ] || fail "pellavan did not set up its data folder"
! grep -q -i 'cannot\|error' "$work/pellavan.log" || { cat "$work/pellavan.log"; fail "pellavan complained"; }

echo "== a prefix with blanks"
DESTDIR="$work/other" cmake --install "$build" --prefix "/opt/Pellavan Video" >/dev/null
"${clean[@]}" "$work/other/opt/Pellavan Video/bin/dvdconvert" info "$disc" >/dev/null || fail "dvdconvert under a prefix with blanks"

echo "== the Debian package"
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(ls -t "$build"/pellavan_*.deb | head -1)
dpkg-deb -I "$deb" | tee "$work/control" | sed -n 's/^ \(Depends\|Recommends\|Suggests\):/&/p'
deps=$(sed -n 's/^ Depends: //p' "$work/control")
for lib in libqt6widgets6 libdvdread8 libavcodec59; do
  grep -q "$lib" <<<"$deps" || fail "the package does not depend on $lib"
done
for tool in ffmpeg dvdauthor lsdvd genisoimage; do
  ! grep -qw "$tool" <<<"$deps" || fail "the package depends on the test tool $tool"
done
unpacked="$work/unpacked"
dpkg-deb -x "$deb" "$unpacked"
run_dvdconvert "$unpacked/usr/bin" package
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
! grep -q '^E:' "$work/lintian.log" || fail "lintian reports errors"
echo "install test passed"
