#!/usr/bin/env bash
# Builds the benchmarks, starts its own Xvfb and runs every benchmark, then
# prints one table: per graphics preset at 1280x800 split screen the frame rate
# (median and 99th percentile), draw calls, triangles, GL calls per draw and
# heap allocations per frame, then the race's load time and peak memory. The
# other benchmarks' own reports follow. Screenshots of each preset go to
# <build>/bench/race_<preset>.png.
#
#   scripts/bench.sh [build-dir]     (FRAMES=n frames per run, default 300;
#                                     RUNS=n runs per preset, default 3)
# Timings are only comparable within one sitting on one machine. A shared
# machine's speed drifts by a third within minutes, so the presets take turns,
# run after run, and each row is the run with the middle median; the fps of
# every run follow it.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
frames=${FRAMES:-300}
runs=${RUNS:-3}
cmake --build "$build" -j2 --target race_frame race_load physics_step render_frame bench_audio_mixer >/dev/null

work=$(mktemp -d)
fifo=$work/display
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
read -r -t 10 display <"$fifo"
export DISPLAY=:$display ALSOFT_DRIVERS=null
cd "$work"

for run in $(seq "$runs"); do
    for preset in low medium high; do
        shot=()
        if [ "$run" = 1 ]; then
            shot=(--screenshot "$build/bench/race_$preset.png")
        fi
        "$build/bench/race_frame" --frames "$frames" --quality "$preset" "${shot[@]}" \
            >"$work/frame_${preset}_$run.txt" 2>&1 || true
    done
done
"$build/bench/race_load" --runs 3 >"$work/load.txt" 2>&1 || true

field() { # field <file> <name>: the value of name=... on the RESULT line
    sed -n "s/^RESULT .*\b$2=\([^ ]*\).*/\1/p" "$1" | tail -n 1
}
printf '%-8s %9s %10s %9s %6s %10s %11s %11s %11s  %s\n' preset "fps" "median ms" "p99 ms" draws triangles "GL/draw" \
    "allocs/frm" "frags/pixel" "fps of each run"
for preset in low medium high; do
    # The runs that finished, slowest median first; the row is the middle one.
    ranked=()
    every=""
    for run in $(seq "$runs"); do
        f=$work/frame_${preset}_$run.txt
        if grep -q '^RESULT' "$f"; then
            ranked+=("$(field "$f" median_ms) $f")
            every="$every $(field "$f" fps)"
        fi
    done
    if [ ${#ranked[@]} = 0 ]; then
        printf '%-8s (failed: see below)\n' "$preset"
        tail -n 5 "$work/frame_${preset}_1.txt"
        continue
    fi
    f=$(printf '%s\n' "${ranked[@]}" | sort -g -r | sed -n "$(((${#ranked[@]} + 1) / 2))p" | cut -d' ' -f2)
    printf '%-8s %9s %10s %9s %6s %10s %11s %11s %11s %s\n' "$preset" "$(field "$f" fps)" "$(field "$f" median_ms)" \
        "$(field "$f" p99_ms)" "$(field "$f" draws)" "$(field "$f" triangles)" "$(field "$f" calls_per_draw)" \
        "$(field "$f" allocs_per_frame)" "$(field "$f" fragments_per_pixel)" "$every"
done
echo
echo "load: $(grep -m1 '^median load' "$work/load.txt" || echo 'failed')"
peak=0
for f in "$work"/frame_*.txt; do
    mb=$(field "$f" peak_mb)
    if [ -n "$mb" ] && [ "$mb" -gt "$peak" ]; then
        peak=$mb
    fi
done
echo "peak resident memory in the race: $peak MB"
echo "load and cpu: $(uptime)"
for other in physics_step render_frame bench_audio_mixer; do
    echo
    echo "== $other"
    "$build/bench/$other" 2>&1 | grep -v '^Trigger' | tail -n 25 || true
done
