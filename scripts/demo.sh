#!/usr/bin/env bash
# Runs the viewer on the bundled sample library (make demo): in the
# foreground when there is a display, otherwise on a short tour under Xvfb
# driven by real key and mouse events (zv-demo-tour, built beside the
# end-to-end tests), which saves a screenshot of each stage and prints
# their paths.
set -euo pipefail

build=${1:?usage: scripts/demo.sh BUILD_DIR}
[ -d "$build" ] || { echo "demo: no build directory $build; build first (make build)" >&2; exit 1; }
build=$(cd "$build" && pwd)
library="$build/sample-library/Zandervale.xml"
for needed in "$build/run/zandervale" "$library" "$build/zv-demo-tour"; do
  if [ ! -e "$needed" ]; then
    echo "demo: $needed is missing; build first (make build)" >&2
    exit 1
  fi
done

if [ -n "${DISPLAY:-}" ]; then
  cd "$build/run"
  exec ./zandervale "$library"
fi

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "demo: $tool is missing (make deps)" >&2; exit 1; }
done
rm -f "$build"/demo-[0-9]-*.png
echo "No display: touring the sample city under Xvfb..." >&2
exec "$build/zv-demo-tour"
