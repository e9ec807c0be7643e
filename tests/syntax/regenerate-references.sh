#!/bin/sh
# Rewrites tests/syntax/reference/*.ref from the current colouring of tests/syntax/input/*.glsl.
# Usage: tests/syntax/regenerate-references.sh [build-dir]   (default: build)
# Review the changes with `git diff tests/syntax/reference` before committing them.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target syntax_tests
LUMENPAD_REGENERATE_REFERENCES=1 "$build/tests/syntax/syntax_tests" --gtest_filter='Files/Golden.*:GoldenFiles.*'
git -C "$root" status --short -- tests/syntax/reference
