#!/usr/bin/env bash
# Installs what building, testing and demonstrating Tessel EQ needs on Debian 12.
# Idempotent: when every package is present it changes nothing and exits at once.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsndfile1-dev libpng-dev libfreetype-dev libfontconfig-dev libx11-dev
  libxext-dev         # MIT-SHM for the editor's window
  libxtst-dev         # XTest input for the editor's X tests
  fonts-dejavu-core
  binutils            # readelf, for the exported-symbol test
  clang-format        # the house layout, checked by the test script
  dpkg-dev file       # dpkg-shlibdeps, and the ELF check CPack runs before it, for the Debian package
  zam-plugins         # third-party LinuxVST plug-ins our host is tested against
  lsp-plugins-vst     # benchmark peer
  xvfb xauth          # headless X server for editor tests
  openbox             # window manager the editor's X tests run under
  libkissfft-dev      # the FFT of the editor's spectrum analyser
  libgl1-mesa-dri     # Mesa's software renderer, for OpenGL editors on a private Xvfb
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]}; run as root to install them" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
