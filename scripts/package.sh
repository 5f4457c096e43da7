#!/usr/bin/env bash
# Builds the Debian package tessel-eq_<version>_<arch>.deb from the release
# tree (brought up to date first) into DIR, build/release by default:
#
#   bash scripts/package.sh [DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh  # dpkg-shlibdeps computes the package's dependencies
bash scripts/release-tree.sh

out=${1:-build/release}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cpack -G DEB --config build/release/CPackConfig.cmake -B "$out"
rm -rf "$out/_CPack_Packages"
