#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Rinova needs.
# Idempotent: when everything is present it prints nothing and touches nothing.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n
  libharfbuzz-dev libfontconfig-dev libcups2-dev libgtest-dev libgmock-dev libbenchmark-dev
  # fuzzing and sanitizers
  clang libclang-rt-14-dev
  # faces used on cards and their fallbacks
  fonts-ipaexfont-mincho fonts-ipafont-mincho fonts-ipaexfont-gothic fonts-ipafont-gothic
  fonts-aoyagi-kouzan-t fonts-kouzan-mouhitsu fonts-rocknroll fonts-noto-cjk
  # the postal-code data the check before printing asks
  skkdic-extra
  # printing; the tests' own schedulers turn jobs into PDF files with Ghostscript
  cups cups-client cups-bsd printer-driver-cups-pdf ghostscript
  # headless GUI runs and looking at output
  xvfb xauth xdotool x11-utils x11-apps imagemagick poppler-utils
  # install and package: the icon's pixel sizes, checks of the menu entry, metadata and manuals
  librsvg2-bin desktop-file-utils appstream man-db file
  # a real window manager, to see frames, sizes and placement as a desktop gives them
  openbox
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
