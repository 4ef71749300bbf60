#!/usr/bin/env bash
# Installs with apt-get whatever of the build and test tools is missing.
# Usage: tools/install-deps.sh [--windows]   (--windows adds mingw-w64, Wine and
# what building Qt for Windows from Debian's sources needs)
set -euo pipefail

packages=(cmake g++ make clang libclang-rt-dev libgtest-dev googletest libbenchmark-dev
          qt6-base-dev libgl-dev xvfb xauth strace
          qt6-l10n-tools qt6-translations-l10n  # lupdate, lrelease; Qt's own catalogues
          dpkg-dev file lintian desktop-file-utils appstream)  # the Debian package and its checks
if [[ "${1:-}" == "--windows" ]]; then
    packages+=(g++-mingw-w64-x86-64-posix wine wine64 qt6-base-dev-tools ninja-build
               xdotool)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
