#!/usr/bin/env bash
# Grabs a window to a PNG under offscreen Qt: scripts/screenshot.sh TFormGSZS shots/gszs.png [w h]
# Builds the helper first if needed. Needs a CJK font (fonts-wqy-microhei) for the Chinese glyphs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIL_BUILD_DIR:-$root/build}
[ -d "$build" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quorvil_screenshot -j2 >/dev/null
mkdir -p "$(dirname "$2")"
QT_QPA_PLATFORM=offscreen "$build/bin/quorvil_screenshot" "$@"
echo "$2"
