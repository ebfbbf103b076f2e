#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds Ek for 64-bit Windows on Debian 12: installs what is missing,
# fetches Qt's and SQLite's sources (checked against pinned SHA-256 sums),
# builds a static Qt once into a cache folder outside the repository, then
# build-windows/ek.exe, ek-cli.exe, the test programs and the release zip.
#
#   bash scripts/build-windows.sh          everything: Qt with Widgets, ek.exe, ek-cli.exe, the zip
#   bash scripts/build-windows.sh qt       only the cached Qt with Widgets
#   bash scripts/build-windows.sh cli      ek-cli.exe and the core tests, against Qt's
#                                          Core and Test alone (a third of the Qt build)
# Then bash scripts/test-windows.sh runs what was built under wine.
#
# EK_WINDOWS_CACHE (default /var/cache/ek-windows) holds the sources and the Qt
# build; delete it to start from nothing. A Qt build that was stopped goes on where
# it stopped. EK_WINDOWS_JOBS sets the build jobs; EK_WINDOWS_QT names a Qt for
# Windows to use instead of building one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${EK_WINDOWS_CACHE:-/var/cache/ek-windows}
jobs=${EK_WINDOWS_JOBS:-$(nproc)}
what=${1:-all}

qt_deb_version=6.4.2+dfsg-10
qt_orig=qt6-base_6.4.2+dfsg.orig.tar.xz
qt_orig_sha256=4f14b89a9463a540fd84a6718b8519a2297119b454ef547721015a9e9019ae9e
sqlite_npm=better-sqlite3@12.11.1
sqlite_tgz=better-sqlite3-12.11.1.tgz
sqlite_tgz_sha256=ebf0ed75a7a59dbcb3b24bbd014ef49d9f15bc328e4adcbf516f2a8fadfa2835

say() { printf '== %s\n' "$*"; }

install_missing() {
    local want=(g++-mingw-w64-x86-64-posix wine wine64 fonts-wine cmake ninja-build qt6-base-dev
        qt6-base-dev-tools qt6-translations-l10n xz-utils zip xvfb xdotool locales fonts-vlgothic)
    command -v npm >/dev/null || want+=(npm)
    local missing=()
    for p in "${want[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    if ((${#missing[@]})); then
        say "installing ${missing[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

check_sum() { # FILE SHA256
    echo "$2  $1" | sha256sum -c --quiet - || { echo "checksum mismatch: $1" >&2; exit 1; }
}

fetch_sources() {
    mkdir -p "$cache/src"
    cd "$cache/src"
    if [[ ! -f $qt_orig ]] || ! echo "$qt_orig_sha256  $qt_orig" | sha256sum -c --quiet - 2>/dev/null; then
        say "fetching qt6-base $qt_deb_version source"
        # A private apt configuration with one deb-src line: the machine's sources stay as they are.
        mkdir -p apt/lists/partial apt/sources.list.d
        echo 'deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main' \
            >apt/sources.list
        local opts=(-o "Dir::Etc::SourceList=$PWD/apt/sources.list" -o "Dir::Etc::SourceParts=$PWD/apt/sources.list.d"
            -o "Dir::State::Lists=$PWD/apt/lists")
        apt-get "${opts[@]}" update -qq
        # A later Debian revision of the package carries the same upstream tarball,
        # which the checksum below holds to.
        { apt-get "${opts[@]}" source --download-only "qt6-base=$qt_deb_version" ||
            apt-get "${opts[@]}" source --download-only qt6-base; } 2>&1 |
            grep -v '^W: Download is performed unsandboxed' || true
    fi
    check_sum "$qt_orig" "$qt_orig_sha256"
    if [[ ! -f $sqlite_tgz ]]; then
        say "fetching $sqlite_npm (its SQLite amalgamation)"
        npm pack --silent "$sqlite_npm" >/dev/null
    fi
    check_sum "$sqlite_tgz" "$sqlite_tgz_sha256"
    if [[ ! -f sqlite/sqlite3.c ]]; then
        rm -rf sqlite && mkdir -p sqlite
        tar -xzf "$sqlite_tgz" -C sqlite --strip-components=3 package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
    fi
    cd "$root"
}

# What Qt is built with; a change in it, the toolchain or the compiler builds
# a new Qt beside the old one instead of mixing the two. Fonts come from Windows'
# own GDI database, Qt's default there: Qt 6.4 builds its DirectWrite one only
# together with Direct2D, which Ek does not need.
qt_options=(
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_icu=OFF -DFEATURE_accessibility=OFF -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_freetype=OFF -DFEATURE_directwrite3=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF
)
qt_prefix() {
    local id
    id=$( (printf '%s\n' "$qt_orig_sha256" "${qt_options[@]}"; cat "$root/cmake/mingw-w64-x86_64.cmake";
        x86_64-w64-mingw32-g++-posix --version | head -1) | sha256sum | cut -c1-12)
    echo "$cache/qt-6.4.2-mingw-$id"
}

# Qt 6.4.2's Windows platform plugin asks OpenGL whether it is a software one
# whenever dynamic OpenGL is on, which it is by default even with OpenGL off; the
# plugin then does not compile. No Qt of these options completes without this, so
# it needs no place in the prefix's name.
patch_qt() { # SOURCE_FOLDER
    sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
        "$1/src/plugins/platforms/windows/qwindowswindow.cpp"
}

# Sets EK_WINDOWS_QT to a Qt for Windows: the whole of it, or with "core" only Core
# and Test, installed beside it from the same build folder. A build that was
# stopped goes on where it stopped, and one of Core and Test goes on to the rest
# later.
build_qt() { # [core]
    local prefix build=$cache/qt-build src=$cache/src/qtbase-everywhere-src-6.4.2
    prefix=$(qt_prefix)
    EK_WINDOWS_QT=$prefix
    if [[ -f $prefix/.complete ]]; then
        say "static Qt for Windows: $prefix (cached)"
        return
    fi
    local log=$cache/qt-build.log start=$SECONDS
    if [[ -f $build/build.ninja && $(cat "$build/.ek-prefix" 2>/dev/null) == "$prefix" && -d $src ]]; then
        say "going on with the static Qt for Windows in $build (${1:-all of it}; log in $log)"
    else
        say "building a static Qt for Windows into $prefix (${1:-all of it}; long; log in $log)"
        rm -rf "$build" "$prefix"
        [[ -d $src ]] || tar -xJf "$cache/src/$qt_orig" -C "$cache/src"
        cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_INSTALL_PREFIX="$prefix" -DQT_HOST_PATH=/usr \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "${qt_options[@]}" >"$log" 2>&1 ||
            { tail -40 "$log" >&2; exit 1; }
        echo "$prefix" >"$build/.ek-prefix"
    fi
    patch_qt "$src"
    if [[ ${1:-} == core ]]; then
        nice cmake --build "$build" --parallel "$jobs" --target Core Test EntryPointImplementation >>"$log" 2>&1 ||
            { tail -40 "$log" >&2; exit 1; }
        # Only the folders of what was built: Qt's own CMake files, the entry point,
        # the bundled libraries Core takes in, Core and Test.
        EK_WINDOWS_QT=$prefix-core
        rm -rf "$EK_WINDOWS_QT"
        for part in . src src/entrypoint src/3rdparty/pcre2 src/3rdparty/zlib src/corelib src/testlib; do
            cmake -DCMAKE_INSTALL_PREFIX="$EK_WINDOWS_QT" -DCMAKE_INSTALL_LOCAL_ONLY=1 \
                -P "$build/$part/cmake_install.cmake" >>"$log" 2>&1 || { tail -40 "$log" >&2; exit 1; }
        done
    else
        (nice cmake --build "$build" --parallel "$jobs" && cmake --install "$build") >>"$log" 2>&1 ||
            { tail -40 "$log" >&2; exit 1; }
        touch "$prefix/.complete"
        rm -rf "$build"
    fi
    say "static Qt ready in $((SECONDS - start)) s"
}

install_missing
fetch_sources
window=ON
[[ $what == cli ]] && window=OFF
if [[ -n ${EK_WINDOWS_QT:-} ]]; then
    say "static Qt for Windows: $EK_WINDOWS_QT (given)"
elif [[ $what == cli ]]; then
    build_qt core
else
    build_qt
fi
[[ $what == qt ]] && exit 0
export EK_WINDOWS_QT
export EK_WINDOWS_SQLITE=$cache/src/sqlite
export WINEDEBUG=-all

say "cross-building Ek into build-windows/"
start=$SECONDS
# A build folder set up against another Qt would keep finding that one.
cache_file=$root/build-windows/CMakeCache.txt
if [[ -f $cache_file ]] && ! grep -q "^Qt6_DIR:PATH=$EK_WINDOWS_QT/" "$cache_file"; then
    rm -rf "$cache_file" "$root/build-windows/CMakeFiles"
fi
(cd "$root" && cmake --preset windows -DEK_WINDOW=$window >/dev/null)
nice cmake --build "$root/build-windows" --parallel "$jobs"
say "Ek built in $((SECONDS - start)) s"
[[ $what == cli ]] && exit 0

# The release: both programs, the samples, the README's part for users and the
# licences of everything inside the programs.
version=$(sed -n 's/^project(Ek VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=Ek-$version-win64
stage=$root/build-windows/$name
rm -rf "$stage" "$stage.zip"
mkdir -p "$stage/samples" "$stage/licences/qt" "$stage/licences/sqlite"
cp "$root/build-windows/src/ek.exe" "$root/build-windows/src/ek-cli.exe" "$stage/"
x86_64-w64-mingw32-strip "$stage/ek.exe" "$stage/ek-cli.exe"
cp "$root/samples/winapi.txt" "$root/samples/winapi64.txt" "$stage/samples/"
# Up to the developers' part (speed, layout), with Windows line ends for Notepad.
awk '/^## Speed/ { exit } { sub(/\r$/, ""); printf "%s\r\n", $0 }' "$root/README.md" >"$stage/README.md"
cp "$root/LICENSE" "$stage/LICENSE.txt"
qtsrc=$cache/src/qtbase-everywhere-src-6.4.2
[[ -d $qtsrc ]] || tar -xJf "$cache/src/$qt_orig" -C "$cache/src" qtbase-everywhere-src-6.4.2/LICENSES \
    qtbase-everywhere-src-6.4.2/src/3rdparty
cp "$qtsrc/LICENSES/LGPL-3.0-only.txt" "$qtsrc/LICENSES/GPL-3.0-only.txt" "$stage/licences/qt/"
for part in zlib pcre2 harfbuzz-ng libpng double-conversion md4c tinycbor easing sha3 blake2 rfc6234 md5 md4 icc; do
    mkdir -p "$stage/licences/qt/$part"
    find "$qtsrc/src/3rdparty/$part" -maxdepth 1 -type f \( -iname 'licen*' -o -iname 'copying*' \
        -o -name 'qt_attribution.json' \) -exec cp {} "$stage/licences/qt/$part/" \;
done
sed -n '1,/^\*\*\*\*/p' "$cache/src/sqlite/sqlite3.h" >"$stage/licences/sqlite/PUBLIC-DOMAIN.txt"
cat >"$stage/licences/qt/RELINKING.txt" <<EOF2
Ek links Qt $(basename "$EK_WINDOWS_QT" | cut -d- -f2) statically; Qt is licensed under the GNU LGPL version 3
(LGPL-3.0-only.txt, which builds on GPL-3.0-only.txt). Ek itself is free software
under the MIT licence, and its complete source is published with every release, so
you can relink it against a Qt of your own, modified or not:

1. Take the source of this release of Ek and of Qt (the qtbase source it was built
   with is Debian's qt6-base $qt_deb_version, $qt_orig,
   SHA-256 $qt_orig_sha256).
2. On Debian 12 run: EK_WINDOWS_CACHE=/some/folder bash scripts/build-windows.sh qt
   to build that Qt, change or replace it there (the folder qt-6.4.2-mingw-*), and
   run bash scripts/build-windows.sh to link ek.exe and ek-cli.exe against it; or
   set EK_WINDOWS_QT to the folder of a static Qt for Windows you built yourself.

The Qt inside Ek differs from that source in two lines, which let Qt's Windows
platform plugin compile with OpenGL left out: in
src/plugins/platforms/windows/qwindowswindow.cpp each "#if QT_CONFIG(dynamicgl)"
reads "#if QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)" (patch_qt in
scripts/build-windows.sh makes the change).
EOF2
(cd "$root/build-windows" && rm -f "$name.zip" && zip -qr -X "$name.zip" "$name")
say "release: build-windows/$name.zip ($(stat -c %s "$root/build-windows/$name.zip") bytes)"
