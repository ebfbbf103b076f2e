#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Ek and starts it. Without a display it converts
# the bundled sample with ek-cli instead and shows a declaration from it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEK_TESTS=OFF >/dev/null
cmake --build "$root/build" --target ek ek-cli

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    exec "$root/build/src/ek"
fi

db=$(mktemp -d)/sample.mdb
echo "No display (DISPLAY is not set): showing what Ek does with ek-cli instead."
echo
"$root/build/src/ek-cli" convert "$root/samples/winapi.txt" "$db"
echo
echo "\$ ek-cli show $db type RECT"
"$root/build/src/ek-cli" show "$db" type RECT | tr -d '\r'
echo
echo "To see the window, run this command again from a desktop session,"
echo "or under a virtual display:  xvfb-run -a $root/build/src/ek"
