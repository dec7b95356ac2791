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
  # install and package: the icon's pixel sizes; checks of the menu entry, metadata, manuals, package
  librsvg2-bin desktop-file-utils appstream man-db file lintian
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

# Installing needs root: as root, directly; otherwise through sudo. Without sudo the user is told
# what to do before anything is tried.
self="bash $(printf '%q' "$(cd "$(dirname "$0")" && pwd)/$(basename "$0")")"
echo "install-deps: missing ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    cat >&2 <<EOF
install-deps: installing these packages needs root, and this system has no sudo. Either
  run this install as root, then your command again as yourself:
    su -c '$self'
  or set up sudo once (as root: apt-get install sudo, then adduser $(id -un) sudo; log in again).
EOF
    exit 1
  fi
  echo "install-deps: installing them as root through sudo"
  as_root=(sudo env DEBIAN_FRONTEND=noninteractive)
fi
export DEBIAN_FRONTEND=noninteractive
if ! "${as_root[@]}" apt-get update -qq ||
  ! "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
  if [ ${#as_root[@]} -gt 0 ]; then
    cat >&2 <<EOF
install-deps: the install through sudo failed (see above). If sudo would not let you, run it as
root, then your command again as yourself:
    su -c '$self'
EOF
  fi
  exit 1
fi
