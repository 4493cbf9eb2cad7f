#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tolvik need, when missing.
set -euo pipefail
PKGS=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins qt6-qpa-plugins libgl-dev
    qt6-translations-l10n fonts-ipafont-gothic
    libxcb1-dev libxcb-xfixes0-dev libxcb-res0-dev libxcb-randr0-dev libxcb-cursor0
    libwayland-dev libwayland-bin sway xwayland wl-clipboard grim
    xvfb xauth openbox xclip xdotool x11-utils wmctrl
    dbus-daemon at-spi2-core python3-pyatspi
    clang-14 libclang-rt-14-dev
    imagemagick pngquant
    libimagequant-dev
    libgif-dev libopenjp2-7-dev libpng-dev libdeflate-dev
    cups cups-bsd printer-driver-cups-pdf poppler-utils
    dpkg-dev desktop-file-utils
)
missing=()
for p in "${PKGS[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
