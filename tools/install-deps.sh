#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian 12 package Pellavan needs to build, run and test.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg-dev libblkid-dev libpng-dev libudfread-dev
  libdvdread-dev libdvdnav-dev
  libavcodec-dev libavformat-dev libavfilter-dev libswscale-dev libswresample-dev libavutil-dev
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  ffmpeg dvdauthor lsdvd genisoimage mediainfo mjpegtools
  xdg-utils
  fp-utils-3.2.2 gzip man-db groff-base file dpkg-dev
  desktop-file-utils appstream lintian inotify-tools
  xvfb libxcb1-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
