#!/usr/bin/env bash
# cmake --install into a temporary prefix, then start the installed editor through its
# launcher as a user with an empty home, with a shader named relative to where it is started:
# it must come up, find its word lists and hint file, open the shader, and keep its settings
# in the user's own program directory.
#   install-check.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for f in bin/lumenpad lib/lumenpad/lumenpad lib/lumenpad/glslvalidate lib/lumenpad/lumenpad-check lib/lumenpad/lumenpad-driver lib/lumenpad/syntax_datatypes.txt \
         lib/lumenpad/hints_functionnames.txt share/applications/lumenpad.desktop \
         share/icons/hicolor/scalable/apps/lumenpad.svg share/mime/packages/lumenpad-glsl.xml; do
  [ -e "$work/prefix/$f" ] || fail "not installed: $f"
done
grep -q '^Exec=lumenpad %F$' "$work/prefix/share/applications/lumenpad.desktop" || fail "desktop entry"
update-mime-database "$work/prefix/share/mime" >/dev/null 2>&1 &&
  [ -e "$work/prefix/share/mime/text/x-glsl.xml" ] || fail "the shader MIME type does not build"

export HOME="$work/home" XDG_DATA_HOME= XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$work/shaders" && printf 'void main() {}\n' > "$work/shaders/sky.frag"
log=$(cd "$work/shaders" && LUMENPAD_STARTUP_TIMING=1 LUMENPAD_STARTUP_EXIT=1 timeout 60 "$work/prefix/bin/lumenpad" sky.frag 2>&1) ||
  fail "the installed editor did not start and close: $log"
printf '%s\n' "$log" | grep -q "startup-event all-lines-coloured" || fail "no start-up: $log"
own="$HOME/.local/share/lumenpad"
[ -x "$own/lumenpad" ] || fail "no program directory of the user's own"
[ "$(head -1 "$own/config.txt" | tr -d '\r')" = "$own" ] || fail "config.txt: $(head -1 "$own/config.txt")"
[ "$(wc -l < "$own/config.txt")" = 6 ] || fail "config.txt should hold six lines"
[ "$(sed -n 3p "$own/config.txt" | tr -d '\r')" = "$work/shaders/sky.frag" ] || fail "the shader named: $(sed -n 3p "$own/config.txt")"
echo "install: 1 passed, 0 failed"
