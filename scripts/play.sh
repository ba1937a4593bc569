#!/usr/bin/env bash
# Sets everything up and starts the game from build/bin, where config.ini's
# default assets folder "../assets/" points at the generated assets. Arguments go
# to the game (torquewind --help lists them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" "$root/build"
cd "$root/build/bin"
exec ./torquewind "$@"
