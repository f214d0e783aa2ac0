#!/usr/bin/env bash
# make soak: runs the viewer for SECONDS (default 600) under Xvfb on a
# generated library with one house of 12-megapixel photos, stepping through
# them in the gallery, back to the city and in again, and samples the
# viewer's resident memory, open files and the gallery's photo textures
# every few seconds. Prints the samples and their growth per minute after
# the warm-up; figures only, it fails only when the run itself cannot go on.
set -euo pipefail

build=${1:?usage: tools/soak/soak.sh BUILD_DIR [SECONDS]}
seconds=${2:-600}
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
. "$(dirname "$self")/../../scripts/viewer-window.sh"
build=$(cd "$build" && pwd)
photos=8          # one house: the gallery wraps round it
every=5           # seconds between samples
warmup=$(( seconds / 5 < 60 ? seconds / 5 : 60 ))

for needed in "$build/run/zandervale" "$build/tools/zv-gallery-bench"; do
  [ -x "$needed" ] || { echo "soak: $needed is missing; build first (make build)" >&2; exit 1; }
done

if [ "${ZV_SOAK_INSIDE_XVFB:-}" != 1 ]; then
  exec env ZV_SOAK_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$self" "$build" "$seconds"
fi

scratch=$(mktemp -d)
viewer=""
sampler=""
stop() {
  [ -z "$sampler" ] || kill "$sampler" 2>/dev/null || true
  [ -z "$viewer" ] || kill "$viewer" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap stop EXIT
fail() {
  echo "soak: $*; the viewer's output:" >&2
  cat "$scratch/viewer.log" "$scratch/viewer.err" >&2 2>/dev/null || true
  exit 1
}

echo "soak: writing $photos photos of 4000 x 3000 and their library ..." >&2
"$build/tools/zv-gallery-bench" --photos "$scratch" "$photos"
for i in $(seq 0 $((photos - 1))); do
  convert -size 128x96 xc:'#FF00FF' "$scratch/t$i.png"   # magenta: easy to find from above
done

cd "$build/run"
ZANDERVALE_GALLERY_TEXTURES=1 LIBGL_ALWAYS_SOFTWARE=1 ./zandervale "$scratch/Zandervale.xml" \
  >"$scratch/viewer.log" 2>"$scratch/viewer.err" &
viewer=$!

window=$(viewer_window "$viewer")
[ -n "$window" ] || fail "the viewer opened no window"
# Keys count once the city is built: wait for the ground below the loading screen.
deadline=$((SECONDS + 120))
until [ "$(import -window "$window" png:- 2>/dev/null | convert - -gravity south -crop 100%x30%+0+0 \
           -format '%[fx:mean > 0.05]' info: 2>/dev/null)" = 1 ]; do
  [ $SECONDS -lt $deadline ] || fail "no city on screen within 120 s"
  kill -0 "$viewer" 2>/dev/null || fail "the viewer ended early"
  sleep 0.5
done
xdotool mousemove --window "$window" 512 384 key Tab   # from above, the pointer picks

# Clicks the middle of the magenta boxes seen from above, then Enter, until
# the gallery reports its first photo.
opened() { grep -q "gallery textures" "$scratch/viewer.err"; }
deadline=$((SECONDS + 120))
until opened; do
  [ $SECONDS -lt $deadline ] || fail "no house picked and opened within 120 s"
  kill -0 "$viewer" 2>/dev/null || fail "the viewer ended early"
  import -window "$window" "$scratch/shot.png"
  box=$(convert "$scratch/shot.png" -fuzz 35% -fill black +opaque '#FF00FF' -fuzz 10% -format '%@' info: \
        2>/dev/null || true)
  if [[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && [ "${BASH_REMATCH[1]}" -lt 1024 ]; then
    xdotool mousemove --window "$window" $((BASH_REMATCH[3] + BASH_REMATCH[1] / 2)) \
      $((BASH_REMATCH[4] + BASH_REMATCH[2] / 2)) click 1 sleep 0.5 key Return
  fi
  sleep 3
done

# Time (s), resident memory (kB), open files, the gallery's textures.
sample() {
  local start=$SECONDS
  while kill -0 "$viewer" 2>/dev/null; do
    local rss fds textures
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$viewer/status" 2>/dev/null || echo 0)
    fds=$(ls "/proc/$viewer/fd" 2>/dev/null | wc -l)
    textures=$(grep "gallery textures" "$scratch/viewer.err" | tail -n 1 | awk '{ print $3 }')
    echo "$((SECONDS - start)) $rss $fds ${textures:-0}"
    sleep "$every"
  done
}
sample >"$scratch/samples" &
sampler=$!

echo "soak: stepping through the gallery for $seconds s, sampling every $every s ..." >&2
end=$((SECONDS + seconds))
rounds=0
while [ $SECONDS -lt $end ]; do
  # A step counts once the fade (1.6 s) is over; a round goes once round the house and a bit more.
  for _ in $(seq $((photos + 2))); do
    [ $SECONDS -lt $end ] || break
    sleep 2.2
    xdotool key Right
  done
  sleep 2.2
  xdotool key Escape sleep 1.5 key Return
  rounds=$((rounds + 1))
  kill -0 "$viewer" 2>/dev/null || fail "the viewer ended during the run"
done
kill "$sampler" 2>/dev/null || true
wait "$sampler" 2>/dev/null || true
sampler=""

echo "seconds  resident-MB  open-files  gallery-textures"
awk '{ printf "%7d  %11.1f  %10d  %16d\n", $1, $2 / 1024, $3, $4 }' "$scratch/samples"
# Least-squares slope of each column over the samples after the warm-up.
awk -v warmup="$warmup" -v rounds="$rounds" '
  $1 >= warmup { n++; t += $1; tt += $1 * $1; for (c = 2; c <= 4; c++) { v[c] += $c; tv[c] += $1 * $c } }
  END {
    if (n < 2) { print "soak: too few samples after the warm-up"; exit }
    d = n * tt - t * t
    for (c = 2; c <= 4; c++) slope[c] = d ? 60 * (n * tv[c] - t * v[c]) / d : 0
    printf "growth per minute after %d s of warm-up (%d samples, %d rounds through the gallery): " \
           "resident %+.2f MB, open files %+.2f, gallery textures %+.2f\n",
           warmup, n, rounds, slope[2] / 1024, slope[3], slope[4]
  }' "$scratch/samples"
xdotool key Escape sleep 0.5 key Escape   # the gallery, then the viewer
