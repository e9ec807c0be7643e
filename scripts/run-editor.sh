#!/usr/bin/env bash
# Builds Lumenpad and starts it from its program directory (build/Lumenpad).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target lumenpad glslvalidate lumenpad_data
cd build/Lumenpad
exec ./lumenpad
