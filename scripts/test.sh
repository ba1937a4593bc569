#!/usr/bin/env bash
# Sets everything up, then runs every test twice: in the normal build and in a
# build with AddressSanitizer and UndefinedBehaviorSanitizer. Starts its own Xvfb
# for the tests that need a window, and stops it afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

"$root/scripts/setup.sh" "$root/build"
"$root/scripts/setup.sh" "$root/build-asan" -DTW_SANITIZE=ON -DTW_BUILD_TOOLS=OFF -DTW_BUILD_BENCH=OFF

# One X server for the whole run; -displayfd avoids racing other servers for a number.
# -noreset: without it the server resets whenever its last client leaves, and a test
# that opens its window during that reset fails with "Failed to open display".
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r display <"$fifo"
export DISPLAY=":$display"
# No sound card here: OpenAL Soft's null backend stands in for one.
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}

status=0
echo "=== tests (normal build) ==="
(cd "$root/build" && ctest --output-on-failure -j"$jobs") || status=1
echo "=== tests (AddressSanitizer + UndefinedBehaviorSanitizer) ==="
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$root/build-asan" && ctest --output-on-failure -j"$jobs") || status=1
exit $status
