#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Ek and runs every test: the suite, the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
jobs=$(nproc)

echo "== format"
bash "$root/scripts/check-format.sh"

echo "== build and test"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEK_TESTS=ON -DEK_WERROR=ON >/dev/null
cmake --build "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

echo "== Windows siblings, syntax-only with the mingw-w64 cross compiler"
bash "$root/scripts/check-windows-syntax.sh"

echo "== build and test under sanitizers"
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DEK_SANITIZE=ON -DEK_TESTS=ON -DEK_WERROR=ON >/dev/null
cmake --build "$root/build-asan"
ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"

echo "== fuzz corpus replay"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DEK_FUZZ=ON -DEK_TESTS=OFF >/dev/null
cmake --build "$root/build-fuzz"
ctest --test-dir "$root/build-fuzz" --output-on-failure
