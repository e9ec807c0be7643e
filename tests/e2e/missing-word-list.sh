#!/usr/bin/env bash
# The real program started where a word list is missing ends at once with exit code 1 and the
# file-open message naming the first missing list, before any window.
#   missing-word-list.sh PROGRAM_DIR
set -euo pipefail
program_dir=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

check_missing() { # list-to-remove expected-missing-list
  rm -rf "$work/dir" && mkdir "$work/dir"
  cp "$program_dir"/syntax_*.txt "$program_dir"/hints_functionnames.txt "$work/dir/"
  rm -f "$work/dir/$1"
  set +e
  out=$(cd "$work/dir" && timeout 30 "$program_dir/lumenpad" 2>&1)
  status=$?
  set -e
  [ "$status" = 1 ] || fail "exit code $status without $1"
  printf '%s\n' "$out" | grep -qF "Datei $work/dir/$2 kann nicht geöffnet werden. " ||
    fail "message without $1: $out"
}
check_missing syntax_datatypes.txt syntax_datatypes.txt
check_missing syntax_statevars.txt syntax_statevars.txt
echo "missing word list: 1 passed, 0 failed"
