#!/usr/bin/env bash
# Start-up benchmark: time from launching the editor to its window shown, the deferred start
# step done and every line coloured, and its peak memory; with no last file and with a
# 100,000-line last vertex shader. Runs under Xvfb when it is installed, else offscreen.
#   bench/startup-bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
# The program's own settings file (carets, panel height) stays out of the user's and the runs.
export XDG_CONFIG_HOME=$work/config
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

cp -r "$build/Lumenpad" "$work/prog"
"$build/bench/lumenpad-bench" --generate 100000 "$work/big.vert" >/dev/null

if command -v Xvfb >/dev/null; then
  for n in $(seq 130 160); do [ -e "/tmp/.X11-unix/X$n" ] || { display=":$n"; break; }; done
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display QT_QPA_PLATFORM=xcb
  sleep 1
else
  export QT_QPA_PLATFORM=offscreen
fi

measure() { # last-vertex-file label
  local shown=() step=() coloured=() rss=()
  for _ in $(seq "$runs"); do
    printf '%s\r\n%s\r\n\r\n800 600 10 20\r\n0\r\n0\r\n' "$work/prog" "$1" > "$work/prog/config.txt"
    local start log
    start=$(date +%s%N)
    log=$(cd "$work/prog" && LUMENPAD_STARTUP_TIMING=1 LUMENPAD_STARTUP_EXIT=1 ./lumenpad 2>&1 >/dev/null)
    at() { printf '%s\n' "$log" | awk -v e="$1" '$1=="startup-event" && $2==e {print $3}'; }
    shown+=($(( ($(at window-shown) - start) / 1000000 )))
    step+=($(( ($(at start-step-done) - start) / 1000000 )))
    coloured+=($(( ($(at all-lines-coloured) - start) / 1000000 )))
    rss+=($(( $(printf '%s\n' "$log" | awk '$1=="peak-rss-kb" {print $2}') / 1024 )))
  done
  median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
  printf '| %s | %s | %s | %s | %s |\n' "$2" "$(median "${shown[@]}")" "$(median "${step[@]}")" \
    "$(median "${coloured[@]}")" "$(median "${rss[@]}")"
}

echo "| last file | window shown (ms) | start step done (ms) | all lines coloured (ms) | peak memory (MB) |"
echo "|---|---|---|---|---|"
measure "" "none"
measure "$work/big.vert" "100,000 lines (7.6 MB)"
