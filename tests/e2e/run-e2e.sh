#!/usr/bin/env bash
# The real editor under Xvfb, driven only as a user would: clicks, keys, the clipboard.
#   run-e2e.sh PROGRAM_DIR [SCREENSHOT_DIR]
# Exits 77 (skipped) when the X tools are not installed.
set -euo pipefail

program_dir=$(cd "$1" && pwd)
shot_dir=${2:-}
for tool in Xvfb xdotool xclip openbox wmctrl import; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
# The program's own settings file goes to this run's folder, never the user's.
export XDG_CONFIG_HOME=$work/config
# So do the recovery files.
export XDG_STATE_HOME=$work/state

fail() {
  echo "FAIL: $*" >&2
  [ -s "$work/editor.log" ] && { echo "-- the editor's output:" >&2; tail -n 30 "$work/editor.log" >&2; }
  exit 1
}
check() { [ "$1" = "$2" ] || fail "$3: expected [$2], got [$1]"; }

# A display nobody else uses: the server picks a free one itself and says which, so two
# runs on one machine (or in containers sharing its abstract sockets) never meet. Without
# -noreset the server starts over each time its last client leaves (the first one is the check
# below), and a program that connects at that moment is refused.
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
# A loaded machine may take a while to bring the server up; the editor cannot start before.
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "the X server did not start"
display=:$(head -n 1 "$work/display")
export DISPLAY=$display
xdotool getdisplaygeometry >/dev/null 2>&1 || fail "the X server on $display does not answer"

cp -r "$program_dir" "$work/prog"
rm -f "$work/prog/config.txt"
cat > "$work/a.vert" <<'GLSL'
// lighting, vertex stage
varying vec3 normal;

void main()
{
    normal = normalize(gl_NormalMatrix * gl_Normal);
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; // transform
}
GLSL

write_config() { # geometry maximised scheme
  printf '%s\r\n%s\r\n\r\n%s\r\n%s\r\n%s\r\n' "$work/prog" "$work/a.vert" "$1" "$2" "$3" > "$work/prog/config.txt"
}

editor_pid=
start_editor() { # [now] [FILE...]
  local when=
  if [ "${1:-}" = now ]; then when=now; shift; fi
  (cd "$work/prog" && exec ./lumenpad "$@") >"$work/editor.log" 2>&1 &
  editor_pid=$!
  pids+=("$editor_pid")
  window=
  for _ in $(seq 100); do
    window=$(xdotool search --name '^\(the tiny\)Lumenpad' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "the window did not appear"
  if [ "$when" = now ]; then
    # Only a window the window manager has taken on can be closed through it.
    for _ in $(seq 100); do
      wmctrl -l 2>/dev/null | grep -qF "(the tiny)Lumenpad" && return 0
      sleep 0.05
    done
    fail "the window manager did not take on the window"
  fi
  sleep 1.5 # the deferred start step reopens the last file
}

wait_for_exit() {
  for _ in $(seq 100); do kill -0 "$editor_pid" 2>/dev/null || return 0; sleep 0.1; done
  fail "the editor did not end after closing its window"
}

# Window-relative places of the controls, in the layout's pixels.
click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.3; }
driver_vertex_button() { click_at 173 14; }
validator_fragment_button() { click_at 142 14; }
scheme_chooser() { click_at 292 12; }
editor_area() { click_at 300 200; }

panel_text() {
  click_at 300 533
  xdotool key ctrl+a ctrl+c
  sleep 0.3
  xclip -o -selection clipboard
}

# ---- A user session without a window manager --------------------------------------------
write_config "800 600 10 20" 0 1
start_editor
geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry" | grep -q "Position: 20,10" || fail "window position: $geometry"
echo "$geometry" | grep -q "Geometry: 800x600" || fail "window size: $geometry"
# A resize while the window still waits for a window manager's frame is the user's and stays.
xdotool windowsize "$window" 700 500
sleep 0.6
xdotool getwindowgeometry "$window" | grep -q "Geometry: 700x500" || fail "resize undone: $(xdotool getwindowgeometry "$window")"
xdotool windowsize "$window" 800 600
sleep 0.3
[ -n "$shot_dir" ] && import -window "$window" "$shot_dir/lumenpad-twilight.png"

driver_vertex_button
sleep 2 # the driver check runs in a process of its own, which starts the driver first
text=$(panel_text)
[ "$(printf '%s\n' "$text" | head -1 | cut -c1-42)" = "Output of current glSlang-Implementation (" ] ||
  fail "driver check header: [$text]"
check "$(printf '%s\n' "$text" | grep -c .)" 1 "a valid vertex page leaves the header alone"

validator_fragment_button
sleep 1
text=$(panel_text)
check "$(printf '%s\n' "$text" | head -1)" "glslValidate output :" "validator heading"
printf '%s\n' "$text" | grep -q "^Fragment shader compiled" || fail "validator verdict: [$text]"

editor_area
xdotool key ctrl+End
xdotool type --delay 20 "// typed by hand"
scheme_chooser
xdotool key Down Return
sleep 0.5
[ -n "$shot_dir" ] && import -window "$window" "$shot_dir/lumenpad-borland.png"

# Closing needs a window manager to deliver the close request; the changed page is asked for.
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
wmctrl -c "(the tiny)Lumenpad"
sleep 1
xdotool key Return # "&Ja", the default button, saves the page
wait_for_exit

mapfile -t lines < <(tr -d '\r' < "$work/prog/config.txt")
check "${#lines[@]}" 6 "config.txt line count"
check "${lines[0]}" "$work/prog" "config line 1"
check "${lines[1]}" "$work/a.vert" "config line 2"
check "${lines[2]}" "" "config line 3"
[[ "${lines[3]}" =~ ^-?[0-9]+\ -?[0-9]+\ -?[0-9]+\ -?[0-9]+$ ]] || fail "config line 4: ${lines[3]}"
check "${lines[4]}" "0" "config line 5"
check "${lines[5]}" "2" "config line 6"
check "$(tail -c 16 "$work/a.vert")" "// typed by hand" "the saved file"
grep -q $'\r' "$work/a.vert" && fail "the saved file changed its line ends"

# ---- Under a window manager that adds a frame: the geometry does not creep --------------
for run in 1 2; do
  write_config "800 600 10 20" 0 0
  [ "$run" = 2 ] && cp "$work/prog/config.saved" "$work/prog/config.txt"
  start_editor
  [ -n "$shot_dir" ] && [ "$run" = 1 ] && import -window root -crop 840x660+0+0 "$shot_dir/lumenpad-default.png"
  wmctrl -c "(the tiny)Lumenpad"
  wait_for_exit
  check "$(sed -n 4p "$work/prog/config.txt" | tr -d '\r')" "800 600 10 20" "framed geometry, run $run"
  cp "$work/prog/config.txt" "$work/prog/config.saved"
done
# ---- A day's keys: files named on the command line, find, go to line, comments, save ------
cat > "$work/b.frag" <<'GLSL'
uniform vec4 tint;
void main()
{
    gl_FragColor = tint;
    gl_FragColor = gl_FragColor * 0.5;
}
GLSL
printf 'void main()\n{\n    gl_Position = ftransform();\n}\n' > "$work/c.vert"
write_config "800 600 10 20" 0 0
start_editor ../a.vert ../b.frag # relative to the program directory, where it starts
keys() { xdotool key --delay 60 "$@"; sleep 0.4; }
typed() { xdotool type --delay 30 "$1"; sleep 0.3; }

keys ctrl+f # the fragment page is active: its file was named last
typed "gl_FragColor"
[ -n "$shot_dir" ] && import -window "$window" "$shot_dir/lumenpad-find.png"
keys F3 Escape
typed "X" # over the second match
keys ctrl+g
typed "1"
keys Return shift+Down shift+Down ctrl+slash ctrl+s
check "$(sed -n '1,2p;5p' "$work/b.frag" | tr '\n' '|')" "// uniform vec4 tint;|// void main()|    X = gl_FragColor * 0.5;|" \
  "find, F3, go to line, comment and save"

keys ctrl+End
typed "// more"
keys ctrl+n
keys Escape # "Abbrechen": New is cancelled and the page kept
keys ctrl+s
check "$(tail -n 1 "$work/b.frag")" "// more" "the page kept by Escape on New's question"

typed " and more"
printf 'written elsewhere\n' > "$work/b.frag"
keys ctrl+s
keys Escape # the question about the changed file: cancel
check "$(cat "$work/b.frag")" "written elsewhere" "a file changed on disk is not overwritten without a question"

keys ctrl+o
keys alt+n # the save question: "&Nein"
sleep 0.5
typed "$work/c.vert"
keys Return
sleep 0.5
keys ctrl+End
typed "    tex"
sleep 0.5
[ -n "$shot_dir" ] && import -window root -crop 840x660+0+0 "$shot_dir/lumenpad-completion.png"
typed "ture2"
keys Return ctrl+s # the list's first word
check "$(tail -n 1 "$work/c.vert")" "    texture2D" "completion"
wmctrl -c "(the tiny)Lumenpad"
sleep 1
keys alt+n # saved, but still marked changed: the close asks
wait_for_exit
check "$(sed -n 2p "$work/prog/config.txt" | tr -d '\r')" "$work/a.vert" "the vertex file named on the command line"
check "$(sed -n 3p "$work/prog/config.txt" | tr -d '\r')" "$work/c.vert" "the file opened with Ctrl+O"

# ---- A crash loses nothing typed: the next start offers the pages back ------------------
write_config "800 600 10 20" 0 0
start_editor
editor_area
keys ctrl+End Return
typed "// typed before the crash"
sleep 3 # the recovery file follows the typing within a few seconds
ls "$XDG_STATE_HOME"/lumenpad/pages-*.lpr >/dev/null 2>&1 || fail "no recovery file a few seconds after typing"
kill -9 "$editor_pid"
wait "$editor_pid" 2>/dev/null || true
start_editor
keys Return # "&Ja", the default: restore the pages
editor_area
keys ctrl+a ctrl+c
check "$(xclip -o -selection clipboard | tail -n 1)" "// typed before the crash" "the page restored after kill -9"
wmctrl -c "(the tiny)Lumenpad"
sleep 1
keys alt+n # the restored page is still changed: the close asks
wait_for_exit
[ -z "$(ls -A "$XDG_STATE_HOME/lumenpad")" ] || fail "recovery files left after closing: $(ls "$XDG_STATE_HOME/lumenpad")"

# Closed as soon as it appears, possibly before the frame is fitted: the request still holds.
for run in 1 2 3; do
  write_config "800 600 10 20" 0 0
  start_editor now
  wmctrl -c "(the tiny)Lumenpad"
  wait_for_exit
  check "$(sed -n 4p "$work/prog/config.txt" | tr -d '\r')" "800 600 10 20" "geometry after an early close, run $run"
done

# ---- Settings no screen can hold: the window fits the screen, and so does what is saved ----
write_config "30000 30000 0 0" 0 0
start_editor
read -r width height < <(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
[ "$width" -le 1280 ] && [ "$height" -le 1024 ] || fail "a ${width}x$height window on a 1280x1024 screen"
wmctrl -c "(the tiny)Lumenpad"
wait_for_exit
read -r width height top left < <(sed -n 4p "$work/prog/config.txt" | tr -d '\r')
[ "$width" -le 1280 ] && [ "$height" -le 1024 ] && [ "$top" -ge 0 ] && [ "$top" -lt 1024 ] &&
  [ "$left" -ge 0 ] && [ "$left" -lt 1280 ] || fail "saved geometry off the screen: $width $height $top $left"

echo "end-to-end: 1 passed, 0 failed"
