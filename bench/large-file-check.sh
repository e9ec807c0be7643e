#!/usr/bin/env bash
# lumenpad-check on three 50 MB vertex shaders: one long comment, a million lines of garbage,
# and a million valid statements; wall time and peak memory of each check on its own. Most of
# the last two is the compilers' own work: glslvalidate is timed alone for comparison.
#   bench/large-file-check.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
prog=$build/Lumenpad
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
size = 50 * 1024 * 1024
def fill(name, head, line):
    with open(f"{work}/{name}.vert", "w") as f:
        f.write(head)
        written = len(head)
        i = 0
        while written < size:
            text = line % i if "%d" in line else line
            f.write(text)
            written += len(text)
            i += 1
        if name == "statements":
            f.write("}\n")
fill("comment", "void main() {}\n", "// " + "c" * 77 + "\n")
fill("garbage", "", "garbage line with words 123 +-*/ ;;\n")
fill("statements", "#version 110\nvoid main()\n{\n", "    gl_Position = vec4(0.0, 1.0, 2.0, 3.0) * %d.0;\n")
PY

printf '%-12s %-12s %9s %10s\n' file check seconds "peak MB"
for file in comment garbage statements; do
  for check in --validator --driver; do
    /usr/bin/time -f "%e %M" -o "$work/time" "$prog/lumenpad-check" $check "$work/$file.vert" >/dev/null 2>&1 || true
    read -r seconds kb < "$work/time"
    printf '%-12s %-12s %9s %10d\n' "$file" "${check#--}" "$seconds" $((kb / 1024))
  done
  (cd "$work" && /usr/bin/time -f "%e %M" -o "$work/time" "$prog/glslvalidate" /v "$work/$file.vert" >/dev/null 2>&1) || true
  read -r seconds kb < "$work/time"
  printf '%-12s %-12s %9s %10d\n' "$file" "glslvalidate" "$seconds" $((kb / 1024))
done
