#!/usr/bin/env bash
# Runs the viewer on the bundled sample library (make demo): in the
# foreground when there is a display, otherwise under Xvfb on a short tour
# driven by real key and mouse events (walk into the city, turn to a house,
# select it, open its photos, step once, leave, look from above), saving a
# screenshot of each stage and printing their paths.
set -euo pipefail

build=${1:?usage: scripts/demo.sh BUILD_DIR}
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
. "$(dirname "$self")/viewer-window.sh"

[ -d "$build" ] || { echo "demo: no build directory $build; build first (make build)" >&2; exit 1; }
build=$(cd "$build" && pwd)
run="$build/run"
library="$build/sample-library/Zandervale.xml"
stages=(start walked house selected gallery next-photo back overview)
shots=()
for i in "${!stages[@]}"; do shots+=("$build/demo-$((i + 1))-${stages[i]}.png"); done
for needed in "$run/zandervale" "$library"; do
  if [ ! -e "$needed" ]; then
    echo "demo: $needed is missing; build first (make build)" >&2
    exit 1
  fi
done
cd "$run"

# Second stage, inside the X server that xvfb-run started.
if [ "${ZV_DEMO_INSIDE_XVFB:-}" = 1 ]; then
  log="$build/demo-viewer.log"
  scratch=$(mktemp -d)
  # Line-buffered, so the log keeps what the viewer printed when it is stopped.
  LIBGL_ALWAYS_SOFTWARE=1 stdbuf -oL ./zandervale "$library" >"$log" 2>&1 &
  viewer=$!
  stop() { kill "$viewer" 2>/dev/null || true; wait "$viewer" 2>/dev/null || true; rm -rf "$scratch"; }
  trap stop EXIT
  fail() {
    echo "demo: $*; the viewer's output:" >&2
    cat "$log" >&2
    exit 1
  }

  window=$(viewer_window "$viewer")
  [ -n "$window" ] || fail "the viewer opened no window"

  snap() {
    kill -0 "$viewer" 2>/dev/null || fail "the viewer ended early"
    import -window "$window" "$1"
  }
  # Mean difference of two screenshots, 0 to 1, over a region WxH+X+Y if given.
  difference() {
    compare -metric MAE "$1${3:+[$3]}" "$2${3:+[$3]}" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p' || true
  }
  above() { awk -v a="${1:-1}" -v b="$2" 'BEGIN { exit !(a > b) }'; }

  # Saves into $1 the first of two screenshots a second apart that match
  # (growing houses, a fading photo and walking all move the picture).
  still() {
    local deadline=$((SECONDS + $2))
    snap "$scratch/earlier.png"
    while :; do
      sleep 1
      snap "$1"
      above "$(difference "$scratch/earlier.png" "$1")" 0.003 || return 0
      [ $SECONDS -lt $deadline ] || fail "no still picture for $(basename "$1") within $2 s"
      mv "$1" "$scratch/earlier.png"
    done
  }
  # Saves into $1 the first screenshot whose region $3 differs from $2 by more
  # than $4, within $5 seconds; if given, runs "xdotool $6" again every 2 s
  # while none does.
  changed() {
    local deadline=$((SECONDS + $5)) again=$((SECONDS + 2))
    while :; do
      snap "$1"
      above "$(difference "$2" "$1" "$3")" "$4" && return 0
      [ $SECONDS -lt $deadline ] || fail "no change for $(basename "$1") within $5 s"
      if [ -n "${6:-}" ] && [ $SECONDS -ge $again ]; then
        # shellcheck disable=SC2086 # several xdotool commands in one word
        xdotool $6
        again=$((SECONDS + 2))
      fi
      sleep 0.3
    done
  }
  # The whole window, the selection panel's text and the gallery's photo number.
  whole=1024x768+0+0 panel=240x110+775+520 number=10x16+12+747

  # Keys go to the window under the pointer when no window manager runs; at
  # the centre, mouse look does not turn the view.
  xdotool mousemove --window "$window" 512 384
  echo "demo: waiting for the houses to grow..." >&2
  still "${shots[0]}" 90
  # The walker stands at the west end of the first year's street, looking
  # east. Running (Q, 50 units a second) for 5.7 s brings it to x = 210, past
  # the houses of January and February 2008.
  echo "demo: walking into the city..." >&2
  xdotool keydown q keydown w sleep 5.7 keyup w keyup q
  still "${shots[1]}" 30
  # Mouse look turns 0.6 degrees a pixel: 45 degrees right faces the house of
  # March 2008's second quarter (20 photos), 42 units away.
  xdotool mousemove_relative -- 75 0
  still "${shots[2]}" 30
  # The click picks the box under the crosshair; the panel at the bottom right
  # names its house. Should the walk have ended elsewhere and the aim miss,
  # turn right 3 degrees at a time (up to facing the street's side) and click
  # again.
  xdotool click 1
  changed "${shots[3]}" "${shots[2]}" "$panel" 0.03 40 "mousemove_relative -- 5 0 click 1"
  # Enter opens the house's photos; the first one fades in for 1.6 s.
  xdotool key Return
  changed "${shots[4]}" "${shots[3]}" "$whole" 0.1 20
  still "${shots[4]}" 20
  # Arrows count once the fade is over: press Right until the number changes.
  xdotool key Right
  changed "${shots[5]}" "${shots[4]}" "$number" 0.03 20 "key Right"
  still "${shots[5]}" 20
  # Escape goes back to the city, the selected house pulsing.
  xdotool key Escape
  changed "${shots[6]}" "${shots[5]}" "$whole" 0.1 20
  # Tab lifts the camera high above the city.
  xdotool key Tab
  changed "${shots[7]}" "${shots[6]}" "$whole" 0.1 20
  still "${shots[7]}" 30
  # Tab back to the walker, then Escape ends the viewer.
  xdotool key Tab key Escape
  for _ in $(seq 50); do
    kill -0 "$viewer" 2>/dev/null || break
    sleep 0.2
  done
  status=0
  kill -0 "$viewer" 2>/dev/null && fail "the viewer did not end on Escape"
  wait "$viewer" || status=$?
  [ "$status" = 0 ] || fail "the viewer ended with status $status"
  exit 0
fi

if [ -n "${DISPLAY:-}" ]; then
  exec ./zandervale "$library"
fi

for tool in xvfb-run xdotool import compare; do
  command -v "$tool" >/dev/null || { echo "demo: $tool is missing (make deps)" >&2; exit 1; }
done
rm -f "${shots[@]}"
echo "No display: touring the sample city under Xvfb..." >&2
# -r: no key repeat, so a held key is one press and one release.
ZV_DEMO_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24 -r" "$self" "$build"
for i in "${!stages[@]}"; do echo "${shots[i]}"; done
