#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the Windows build (scripts/build-windows.sh, all or cli) under wine: every
# core test program built for Windows, then ek-cli.exe's conversion of both samples
# against the Linux build's, compared as SQL dumps, and, when ek.exe was built, one
# session at its window (tests/e2e/wine_session.sh). Prints the time of each part.
#
#   bash scripts/test-windows.sh
#
# The Linux ek-cli is build/src/ek-cli (scripts/test.sh builds it) or EK_LINUX_CLI.
# Wine is not Windows: sharing rules, byte locks, the registry and the console are
# wine's versions of them (the README says what only Windows itself can show).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win=$root/build-windows
linux_cli=${EK_LINUX_CLI:-$root/build/src/ek-cli}
say() { printf '== %s\n' "$*"; }

want=(wine wine64 sqlite3 xvfb xauth xdotool xclip x11-utils locales fonts-vlgothic)
missing=()
for p in "${want[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    say "installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
[[ -x $win/src/ek-cli.exe ]] || { echo "no $win/src/ek-cli.exe: run scripts/build-windows.sh first" >&2; exit 1; }
[[ -x $linux_cli ]] || { echo "no Linux ek-cli at $linux_cli: run scripts/test.sh first" >&2; exit 1; }

# A wine of its own beside the build: nothing of the user's wine is touched, and
# no question about Mono or Gecko waits for an answer.
export WINEPREFIX=$win/wine WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
start=$SECONDS
wine wineboot -i >/dev/null 2>&1 || true
say "wine ready in $((SECONDS - start)) s"

start=$SECONDS
ctest --test-dir "$win" --output-on-failure -j "$(nproc)"
say "test programs under wine in $((SECONDS - start)) s"

start=$SECONDS
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
mkdir "$work/linux" "$work/win"
for sample in winapi winapi64; do
    # The same relative names in two folders, so that both programs write the same
    # sentences: wine starts the program in its folder as Z:\..., where they name the
    # same files.
    cp "$root/samples/$sample.txt" "$work/linux/"
    cp "$root/samples/$sample.txt" "$work/win/"
    status=0
    (cd "$work/linux" && "$linux_cli" convert "$sample.txt" "$sample.mdb" >"$sample.out" 2>&1) || status=$?
    echo "status $status" >>"$work/linux/$sample.out"
    status=0
    (cd "$work/win" && wine "$win/src/ek-cli.exe" convert "$sample.txt" "$sample.mdb" >"$sample.out" 2>&1) ||
        status=$?
    echo "status $status" >>"$work/win/$sample.out"
    if cmp -s <(sqlite3 "$work/linux/$sample.mdb" .dump) <(sqlite3 "$work/win/$sample.mdb" .dump); then
        say "$sample.txt: the Windows database dumps as the Linux one"
    else
        echo "$sample.txt: the database ek-cli.exe made differs from the Linux build's:" >&2
        diff <(sqlite3 "$work/linux/$sample.mdb" .dump) <(sqlite3 "$work/win/$sample.mdb" .dump) | head -20 >&2
        failed=1
    fi
    if cmp -s "$work/linux/$sample.out" "$work/win/$sample.out"; then
        say "$sample.txt: ek-cli.exe says what the Linux ek-cli says, with the same status"
    else
        echo "$sample.txt: ek-cli.exe's words or status differ from the Linux ek-cli's:" >&2
        diff "$work/linux/$sample.out" "$work/win/$sample.out" | head -20 >&2
        failed=1
    fi
done
# The text show prints is the clipboard's: CR LF line ends, UTF-8, byte for byte.
(cd "$work/linux" && "$linux_cli" show winapi64.mdb type RECT >show.txt)
(cd "$work/win" && wine "$win/src/ek-cli.exe" show winapi64.mdb type RECT >show.txt)
if [[ -s $work/linux/show.txt ]] && cmp -s "$work/linux/show.txt" "$work/win/show.txt"; then
    say "ek-cli.exe show writes the bytes the Linux ek-cli writes"
else
    echo "ek-cli.exe show differs from the Linux ek-cli:" >&2
    cmp "$work/linux/show.txt" "$work/win/show.txt" >&2 || true
    failed=1
fi
say "samples under wine in $((SECONDS - start)) s"

if [[ -x $win/src/ek.exe ]]; then
    start=$SECONDS
    bash "$root/tests/e2e/wine_session.sh" "$win/src/ek.exe" "$win/src/ek-cli.exe" \
        "$win/tests/support/clipboard-text.exe" "$root/samples/winapi64.txt" || failed=1
    say "ek.exe's window under wine in $((SECONDS - start)) s"
else
    say "no ek.exe (built by scripts/build-windows.sh without cli): its window was not tried"
fi
exit $failed
