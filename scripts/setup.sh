#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages.
# Safe to run again: when everything is present it only checks and exits.
set -euo pipefail

packages=(
  g++ cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2
  libgeos-dev libpolyclipping-dev
  clang libclang-rt-14-dev clang-format
  proj-bin geographiclib-tools
  gucharmap # the character map that the text dialog starts
  gdal-bin qt6-image-formats-plugins libgif-dev
  poppler-utils # pdfinfo and pdftoppm check the printed PDF files
  qt6-serialport-dev # the GPS port monitor
  xvfb xauth # the map control's host test on a real X display
  imagemagick # import takes the screenshots of the editor on its X display
  openbox # the window manager on that display, which maximises the editor
  xclip # a second program reads the clipboard in the clipboard test
  xdotool # the user scenarios drive the editor through X input
  libcurl4-openssl-dev # the map server module's HTTP and HTTPS client
  curl openssl # the HTTP benchmark's reference program; the tests' certificates
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
