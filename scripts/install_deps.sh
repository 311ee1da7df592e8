#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 machine:
# the compilers and libraries, a virtual X server, xdotool, fonts and
# Python's Tk (which reads the clipboard there) for running the desktop
# program without a screen (end-to-end tests, screenshots), the desktop's
# tools that check the program's entry and file types, what CPack needs
# for the Debian package, and clang with its fuzzer and sanitizer runtimes
# for the fuzz targets, and a D-Bus daemon for the tests' own session bus;
# python3 for the check of the includes and the Debian changelog; lintian,
# appstream and man-db, which check the package, its metadata and its
# manual pages. Qt Charts draws the growth chart; Debian's qt6-charts-dev
# needs the OpenGL module's CMake files (libqt6opengl6-dev) without
# depending on them.
set -euo pipefail
packages=(
  cmake g++ make pkg-config clang-format python3
  libgtest-dev libgmock-dev
  libsqlite3-dev libicu-dev
  qt6-base-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev
  xvfb xdotool fonts-dejavu-core python3-tk
  dbus-daemon
  desktop-file-utils shared-mime-info dpkg-dev file
  lintian appstream man-db
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
