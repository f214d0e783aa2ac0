#!/usr/bin/env bash
# Runs the viewer on the bundled sample library (make demo): in the
# foreground when there is a display, otherwise under Xvfb for a few seconds,
# saving screenshots of its window (the walker's view, the overview camera,
# then the gallery opened on a house) and printing their paths.
set -euo pipefail

build=${1:?usage: scripts/demo.sh BUILD_DIR}
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
seconds=${ZV_DEMO_SECONDS:-8}   # the houses grow during the first seconds

[ -d "$build" ] || { echo "demo: no build directory $build; build first (make build)" >&2; exit 1; }
build=$(cd "$build" && pwd)
run="$build/run"
library="$build/sample-library/Zandervale.xml"
shot="$build/demo-screenshot.png"
overview="$build/demo-overview.png"
gallery="$build/demo-gallery.png"
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
  # Line-buffered, so the log keeps what the viewer printed when it is stopped.
  LIBGL_ALWAYS_SOFTWARE=1 stdbuf -oL ./zandervale "$library" >"$log" 2>&1 &
  viewer=$!
  stop() { kill "$viewer" 2>/dev/null || true; wait "$viewer" 2>/dev/null || true; }
  trap stop EXIT
  # Wait for the window, but not for a viewer that has already given up.
  window=""
  for _ in $(seq 150); do
    window=$(xdotool search --name Zandervale 2>/dev/null | head -n 1) || true
    [ -n "$window" ] || ! kill -0 "$viewer" 2>/dev/null && break
    sleep 0.2
  done
  if [ -z "$window" ]; then
    echo "demo: the viewer opened no window; its output:" >&2
    cat "$log" >&2
    exit 1
  fi
  sleep "$seconds"
  if ! kill -0 "$viewer" 2>/dev/null; then
    status=0
    wait "$viewer" || status=$?
    echo "demo: the viewer ended early (status $status); its output:" >&2
    cat "$log" >&2
    exit 1
  fi
  import -window "$window" "$shot"
  # Tab switches to the camera high above the city; keys go to the window
  # under the pointer when no window manager runs.
  xdotool mousemove --window "$window" 512 384 key Tab
  sleep 1
  import -window "$window" "$overview"
  # From above, a click picks the box under the pointer and Enter opens the
  # house's photos. The sample library comes out the same on every build,
  # with a tall house (September 2004) at this point of the overview.
  xdotool mousemove --window "$window" 707 88 click 1
  sleep 1
  xdotool key Return
  sleep 3   # the photo fades in for 1.6 s
  import -window "$window" "$gallery"
  exit 0
fi

if [ -n "${DISPLAY:-}" ]; then
  exec ./zandervale "$library"
fi

for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "demo: $tool is missing (make deps)" >&2; exit 1; }
done
rm -f "$shot" "$overview" "$gallery"
echo "No display: running the viewer under Xvfb for $seconds seconds..." >&2
ZV_DEMO_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$self" "$build"
echo "$shot"
echo "$overview"
echo "$gallery"
