#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, build-fuzz/) and gives each a short run over a copy of
# its seed corpus. Exits non-zero when any target finds a failure; the failing input is kept
# under build-fuzz/fuzz-artifacts/.
#
#   scripts/run-fuzz.sh                      all targets, 20 s each
#   FUZZ_SECONDS=600 scripts/run-fuzz.sh fuzz_settings fuzz_hintfile
#
# A failing input replays with: build-fuzz/fuzz/<target> <input>
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-20}
jobs=${FUZZ_BUILD_JOBS:-2}
all_targets=(fuzz_settings fuzz_wordlist fuzz_hintfile fuzz_hintword fuzz_linecolouring
             fuzz_addloglines fuzz_versionnumber fuzz_extensionname fuzz_validatorlog fuzz_shadertext
             fuzz_recoveryfile)
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=("${all_targets[@]}")
fi

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

# clang with its libFuzzer runtime (Debian: libclang-rt-14-dev).
fuzzer_links() {
  command -v clang++ >/dev/null 2>&1 || return 1
  local probe
  probe=$(mktemp -d)
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
    >"$probe/probe.cpp"
  clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1
  local ok=$?
  rm -rf "$probe"
  return $ok
}
if ! fuzzer_links; then
  echo "run-fuzz: installing clang and libclang-rt-14-dev"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev
  fuzzer_links || { echo "run-fuzz: clang cannot link a libFuzzer target" >&2; exit 2; }
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DLUMENPAD_FUZZ=ON -DLUMENPAD_TESTS=OFF \
  -DLUMENPAD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=()
for target in "${targets[@]}"; do
  seeds=$root/fuzz/corpus/$target
  corpus=$work/$target
  mkdir -p "$corpus"
  # The fuzzer adds what it finds to its corpus folder: a copy, never the committed seeds.
  if [ -d "$seeds" ]; then
    cp -R "$seeds/." "$corpus/"
  fi
  echo "== $target (${seconds} s)"
  if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
      -artifact_prefix="$artifacts/$target-" -print_final_stats=1 "$corpus" \
      >"$work/$target.log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^Done' "$work/$target.log" || true
  else
    echo "!! $target failed; log tail:"
    tail -n 40 "$work/$target.log"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "run-fuzz: failures in ${failed[*]} (inputs under $artifacts)" >&2
  exit 1
fi
echo "run-fuzz: ${#targets[@]} targets ran ${seconds} s each without a failure"
