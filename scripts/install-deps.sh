#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what building, running and testing Ek need on Debian 12, as root.
# Only what is missing is installed; a second run does nothing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang-format git
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libqt6svg6
    libsqlite3-dev sqlite3
    fonts-ipafont-gothic fonts-vlgothic
    xvfb xauth xdotool xclip x11-utils imagemagick time
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    if [[ $(id -u) -ne 0 ]]; then
        echo "Run as root (or with sudo) to install: ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
