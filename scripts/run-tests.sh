#!/usr/bin/env bash
# Builds everything and runs every test headless: the unit, widget and driver tests,
# then the same tests in a sanitizer build, then the end-to-end tests under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
# Qt wants a private runtime directory; CI machines often have none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR=$(mktemp -d)
  chmod 700 "$XDG_RUNTIME_DIR"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
# The unit tier first: a broken build fails within seconds, before the long tiers start.
ctest --test-dir build --output-on-failure -j2 -L unit
ctest --test-dir build --output-on-failure -j2 -LE unit

if [ "${LUMENPAD_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DLUMENPAD_SANITIZE=ON -DLUMENPAD_BENCH=OFF
  cmake --build build-asan -j2
  ctest --test-dir build-asan --output-on-failure -j2
fi

if [ "${LUMENPAD_SKIP_FUZZ:-0}" != 1 ]; then
  FUZZ_SECONDS=${FUZZ_SECONDS:-20} scripts/run-fuzz.sh
fi
