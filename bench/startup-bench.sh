#!/usr/bin/env bash
# Start-up and typing benchmark of the editor beside a bare Qt floor (lumenpad-floor: a
# QMainWindow around a QPlainTextEdit), measured in the same run, rounds interleaved (editor,
# floor, editor, floor...) so a machine whose load changes treats both alike; medians.
#   bench/startup-bench.sh [BUILD_DIR] [RUNS] [BEFORE_BUILD_DIR]
# With BEFORE_BUILD_DIR (a build of an earlier version with the same bench programs) its editor
# is measured in the same rounds too.
# Moments, from launching the program (ms): the editor first painted (window painted), the
# first screen of a 100,000-line last file painted (the floor: its text shown), every line
# coloured (and the file whole); peak memory; then keystrokes in the middle of that file to
# the end of their repaint (p50/p99) and the area repainted per key.
# Runs under Xvfb when it is installed, else offscreen.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-7}
before=${3:+$(cd "$3" && pwd)}
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
# The program's own settings file (carets, panel height) stays out of the user's and the runs.
export XDG_CONFIG_HOME=$work/config
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

cp -r "$build/Lumenpad" "$work/prog"
[ -n "$before" ] && cp -r "$before/Lumenpad" "$work/before"
"$build/bench/lumenpad-bench" --generate 100000 "$work/big.vert" >/dev/null

if command -v Xvfb >/dev/null; then
  # The server picks a free display itself and says which.
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n 1 "$work/display") QT_QPA_PLATFORM=xcb
else
  export QT_QPA_PLATFORM=offscreen
fi

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
declare -A samples

# One start of a program: program-label file-label command...
one() {
  local label=$1 file=$2; shift 2
  local start log
  start=$(date +%s%N)
  log=$(LUMENPAD_STARTUP_TIMING=1 LUMENPAD_STARTUP_EXIT=1 "$@" 2>&1 >/dev/null || true)
  at() { printf '%s\n' "$log" | awk -v e="$1" -v s="$start" '$1=="startup-event" && $2==e {print int(($3-s)/1000000)}'; }
  samples[$label/$file/painted]+=" $(at window-painted)"
  samples[$label/$file/screen]+=" $(at first-coloured-screen)"
  samples[$label/$file/coloured]+=" $(at all-lines-coloured)"
  samples[$label/$file/rss]+=" $(( $(printf '%s\n' "$log" | awk '$1=="peak-rss-kb" {print $2}') / 1024 ))"
}

editor() { # dir last-vertex-file
  printf '%s\r\n%s\r\n\r\n800 600 10 20\r\n0\r\n0\r\n' "$1" "$2" > "$1/config.txt"
  (cd "$1" && ./lumenpad)
}

programs=(after floor)
[ -n "$before" ] && programs=(before after floor)
for _ in $(seq "$runs"); do
  for file in none big; do
    path=; [ "$file" = big ] && path=$work/big.vert
    for p in "${programs[@]}"; do
      case $p in
        after) one after "$file" editor "$work/prog" "$path" ;;
        before) one before "$file" editor "$work/before" "$path" ;;
        floor) one floor "$file" "$build/bench/lumenpad-floor" $path ;;
      esac
    done
  done
done

m() { local v; v=$(median ${samples[$1]:-}); echo "${v:--}"; }
echo "| program | window painted, no file (ms) | peak memory, no file (MB) | 100,000 lines: first screen (ms) | all coloured (ms) | peak memory (MB) |"
echo "|---|---|---|---|---|---|"
for p in "${programs[@]}"; do
  printf '| %s | %s | %s | %s | %s | %s |\n' "$p" "$(m $p/none/painted)" "$(m $p/none/rss)" \
    "$(m $p/big/screen)" "$(m $p/big/coloured)" "$(m $p/big/rss)"
done

echo
echo "| program | key to repaint p50 (us) | p99 (us) | area per key (px) |"
echo "|---|---|---|---|"
keys() { # label dir command...
  local label=$1 dir=$2 out; shift 2
  out=$(cd "$dir" && "$@" 2>/dev/null || true)
  val() { printf '%s\n' "$out" | awk -v k="$1:" '$1==k {print $2}'; }
  samples[$label/keys/p50]+=" $(val key-to-paint-p50-us)"
  samples[$label/keys/p99]+=" $(val key-to-paint-p99-us)"
  samples[$label/keys/area]+=" $(val key-paint-area-px)"
}
for _ in $(seq 3); do
  for p in "${programs[@]}"; do
    case $p in
      after) keys after "$work/prog" "$build/bench/lumenpad-bench" --keys "$work/big.vert" ;;
      before) keys before "$work/before" "$before/bench/lumenpad-bench" --keys "$work/big.vert" ;;
      floor) keys floor "$work" "$build/bench/lumenpad-floor" --keys "$work/big.vert" ;;
    esac
  done
done
for p in "${programs[@]}"; do
  printf '| %s | %s | %s | %s |\n' "$p" "$(m $p/keys/p50)" "$(m $p/keys/p99)" "$(m $p/keys/area)"
done

# ---- From outside: the X server's damage events (lumenpad-xprobe), with KWrite when installed.
# Each program is started with no file (mapped, first painted) and with the 100,000-line file,
# whose window is watched for 5 s: the first moment it showed what it shows at the end (its
# first screen as it stays, read from its pixels). 100 keys are then typed into the big file
# through XTEST and timed to the first change of the window's pixels.
if [ -n "$xvfb_pid" ] && [ -x "$build/bench/lumenpad-xprobe" ]; then
  xprograms=(after floor)
  command -v kwrite >/dev/null && xprograms+=(kwrite)
  export XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/data
  # KDE builds its service cache on a first start: that one is not timed.
  command -v kwrite >/dev/null && "$build/bench/lumenpad-xprobe" --watch 3000 -- kwrite >/dev/null 2>&1 || true
  xprobe() { # label file-label command...
    local label=$1 file=$2 out; shift 2
    local args=(--keys 0 --watch 1500)
    [ "$file" = big ] && args=(--keys 100 --watch 5000)
    # A killed editor leaves its recovery file, KWrite its swap file: neither may reach the next run.
    out=$(XDG_STATE_HOME=$work/state "$build/bench/lumenpad-xprobe" "${args[@]}" -- "$@" 2>/dev/null || true)
    rm -rf "$work/state" "$work/.big.vert.kate-swp"
    val() { printf '%s\n' "$out" | awk -v k="$1:" '$1==k {print $2}'; }
    for k in mapped-ms painted-ms final-ms key-to-damage-p50-us key-to-damage-p99-us key-damage-area-px; do
      samples[x/$label/$file/$k]+=" $(val $k)"
    done
    local kb; kb=$(val peak-rss-kb); samples[x/$label/$file/rss]+=" $(( ${kb:-0} / 1024 ))"
  }
  for _ in $(seq "$runs"); do
    for file in none big; do
      path=; [ "$file" = big ] && path=$work/big.vert
      for p in "${xprograms[@]}"; do
        case $p in
          after)
            printf '%s\r\n%s\r\n\r\n800 600 10 20\r\n0\r\n0\r\n' "$work/prog" "$path" > "$work/prog/config.txt"
            xprobe after "$file" env -C "$work/prog" ./lumenpad ;;
          floor) xprobe floor "$file" "$build/bench/lumenpad-floor" $path ;;
          kwrite) xprobe kwrite "$file" kwrite $path ;;
        esac
      done
    done
  done
  echo
  echo "Through the X server (damage events), from the program's start:"
  echo "| program | mapped (ms) | painted, no file (ms) | peak, no file (MB) | 100,000 lines: final screen (ms) | peak (MB) | key to screen p50 (us) | p99 (us) | area per key (px) |"
  echo "|---|---|---|---|---|---|---|---|---|"
  for p in "${xprograms[@]}"; do
    printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n' "$p" "$(m x/$p/none/mapped-ms)" "$(m x/$p/none/painted-ms)" \
      "$(m x/$p/none/rss)" "$(m x/$p/big/final-ms)" "$(m x/$p/big/rss)" "$(m x/$p/big/key-to-damage-p50-us)" \
      "$(m x/$p/big/key-to-damage-p99-us)" "$(m x/$p/big/key-damage-area-px)"
  done
fi
