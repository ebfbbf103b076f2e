#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Compiles every source file of the Windows build (the shared ones and the *_win.cpp
# siblings, not the *_posix.cpp ones) and the Windows-only tests syntax-only with
# the mingw-w64 cross compiler against the host's Qt headers: a few minutes, where
# the full Windows build (scripts/build-windows.sh) needs its own Qt. Catches a
# Windows file left behind by a change to a shared header, and shared code that
# only compiles on Linux.
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
includes=(-I"$stub" -I"$qt" -I"$qt/QtCore" -I"$qt/QtGui" -I"$qt/QtWidgets" -I"$qt/QtTest")
for d in src/text src/store src/usecases src/wording src/cli src/platform src/ui/main src/ui/auxwin tests/support \
    tests/db; do
    includes+=(-I"$root/$d")
done
mapfile -t files < <(cd "$root" && {
    find src -name '*.cpp' ! -name '*_posix.cpp' ! -name 'cp932_iconv.cpp'
    find tests -name '*_win.cpp'
    echo tests/db/windows_faults_test.cpp
} | sort)
check() { # FILE
    touch "$stub/$(basename "${1%.cpp}").moc"
    if ! nice "$cxx" -std=c++17 -fsyntax-only -Wall -Wextra -Werror -DQT_STATIC -DUNICODE -D_UNICODE -DNOMINMAX \
        -DWIN32_LEAN_AND_MEAN -DQT_RESTRICTED_CAST_FROM_ASCII -DQT_NO_FOREACH -DEK_CLI_PATH='"ek-cli.exe"' \
        -DEK_SOURCE_DIR='"."' -DEK_VERSION='"0"' "${includes[@]}" "$root/$1"; then
        echo "Windows syntax check failed: $1" >&2
        return 1
    fi
}
export -f check
export cxx stub root
# An array cannot be exported; its words travel in one variable.
export EK_INCLUDES="${includes[*]}"
failed=0
printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -I{} bash -c 'includes=($EK_INCLUDES); check "$1"' _ {} || failed=1
echo "Windows build sources checked: ${#files[@]} files"
exit $failed
