#!/usr/bin/env bash
# Configures the optimised build in build/ and builds the given targets (everything by default:
# the program, its tests and benchmarks). Uses ccache when it is installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Paths inside the work tree hash as relative ones: a fresh clone elsewhere (CI) hits the cache.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
fi
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$root/build" -j"$(nproc)" "${targets[@]}"
