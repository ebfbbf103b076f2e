#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Compiles every Windows sibling (*_win.cpp) and the Windows-only tests syntax-only
# with the mingw-w64 cross compiler against the host's Qt headers: seconds, where
# the full Windows build (scripts/build-windows.sh) needs its own Qt. Catches a
# Windows file left behind by a change to a shared header.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cxx=x86_64-w64-mingw32-g++-posix
if ! command -v "$cxx" >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends g++-mingw-w64-x86-64-posix >/dev/null
fi
qt=/usr/include/x86_64-linux-gnu/qt6
stub=$(mktemp -d)
trap 'rm -rf "$stub"' EXIT
# sqlite3.h needs nothing of the host; moc output is not needed to check syntax.
ln -s /usr/include/sqlite3.h "$stub/sqlite3.h"
includes=(-I"$stub" -I"$qt" -I"$qt/QtCore" -I"$qt/QtTest")
for d in src/text src/store src/usecases src/wording src/cli src/platform tests/support tests/db; do
    includes+=(-I"$root/$d")
done
mapfile -t files < <(cd "$root" && find src tests -name '*_win.cpp' | sort; echo tests/db/windows_faults_test.cpp)
failed=0
for f in "${files[@]}"; do
    touch "$stub/$(basename "${f%.cpp}").moc"
    if ! "$cxx" -std=c++17 -fsyntax-only -Wall -Wextra -Werror -DQT_STATIC -DUNICODE -D_UNICODE -DNOMINMAX \
        -DWIN32_LEAN_AND_MEAN -DQT_RESTRICTED_CAST_FROM_ASCII -DQT_NO_FOREACH -DEK_CLI_PATH='"ek-cli.exe"' \
        -DEK_SOURCE_DIR='"."' -DEK_VERSION='"0"' "${includes[@]}" "$root/$f"; then
        echo "Windows syntax check failed: $f" >&2
        failed=1
    fi
done
echo "Windows siblings checked: ${#files[@]} files"
exit $failed
