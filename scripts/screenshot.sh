#!/usr/bin/env bash
# Grabs windows to PNG files under offscreen Qt, for looking at them:
#   scripts/screenshot.sh                          every window, into ./shots (or $QUORVIL_SHOTS): the main
#                                                  window, the About box, each tool window as it opens, and
#                                                  the windows of scripts/screenshot-examples.txt filled in
#   scripts/screenshot.sh TFormGSZS out.png [w h]  one window as it opens
# Builds the helper first if needed. Needs a CJK font (fonts-wqy-microhei) for the Chinese glyphs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIL_BUILD_DIR:-$root/build}
[ -d "$build" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quorvil_screenshot -j2 >/dev/null
if [ $# -eq 0 ]; then
  folder=${QUORVIL_SHOTS:-shots}
  QT_QPA_PLATFORM=offscreen "$build/bin/quorvil_screenshot" --all "$folder" "$root/scripts/screenshot-examples.txt" "$root"
  exit
fi
[ $# -ge 2 ] || { echo "usage: $0 [<window class> <out.png> [width height]]" >&2; exit 2; }
mkdir -p "$(dirname "$2")"
QT_QPA_PLATFORM=offscreen "$build/bin/quorvil_screenshot" "$@"
