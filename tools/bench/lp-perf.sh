#!/bin/sh
# lp-perf.sh BUILD_DIR [FRAMES]: the frames of the bare city and of 100,000
# photos at the walker's poses under each of llvmpipe's LP_PERF switches and
# under none, as one table (median ms from one buffer swap to the next, and
# the median CPU time of all threads, which another process on the machine
# disturbs less; beside each the ratio to the frame without a switch):
# what a pixel costs in which stage of the software rasteriser. Figures only.
set -e
build=$1
frames=${2:-30}
pool=../bench-libraries/pool
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
switches="none no_mip_linear no_mipmap no_linear no_tex no_blend no_depth no_shade"
cd "$build/run"
for switch in $switches; do
    echo "measuring with LP_PERF=$switch ..."
    # zv-bench's frame rows: photos, years, pose, median, p95, glFinish, cpu ms, ...
    # Tried again when xvfb-run -a loses its display to another server starting.
    for try in 1 2 3; do
        rows=$(LP_PERF=$([ "$switch" = none ] || echo "$switch") LIBGL_ALWAYS_SOFTWARE=1 \
            xvfb-run -a -n 457 -s "-screen 0 1280x1024x24" ../tools/zv-bench $pool "$out/frames.json" "$frames" 100000 frames |
            awk -v s="$switch" '$2 ~ /^[0-9]+-[0-9]+$/ && NF >= 7 { print s, $1, $3, $4, $7 }')
        [ -n "$rows" ] && break
    done
    echo "$rows" >>"$out/rows"
done
for figure in 4 5; do
    awk -v switches="$switches" -v figure=$figure '
    { ms[$1 " " $2 " " $3] = $figure; if (!seen[$2 " " $3]++) columns[++n] = $2 " " $3 }
    END {
        printf "\n%s\n", figure == 4 ? "median ms from one buffer swap to the next" : "median CPU ms of all threads a frame"
        printf "%-14s", "LP_PERF"
        for (c = 1; c <= n; ++c) { split(columns[c], part, " "); printf " %17s", (part[1] == 2 ? "bare" : part[1]) " " part[2] }
        printf "\n"
        count = split(switches, names, " ")
        for (i = 1; i <= count; ++i) {
            printf "%-14s", names[i]
            for (c = 1; c <= n; ++c) {
                value = ms[names[i] " " columns[c]]; base = ms["none " columns[c]]
                printf " %8.1f (%5.2fx)", value, (base > 0 ? value / base : 0)
            }
            printf "\n"
        }
    }' "$out/rows"
done
echo "(in brackets: against no switch)"
