#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs every test there; the first finding stops its test and fails the run.
# Run by hand after the plain build has passed (CI runs the plain tests only).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVIL_SANITIZE_DIR:-$root/build-asan}
jobs=$(nproc)

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Paths inside the work tree hash as relative ones: a fresh clone elsewhere (CI) hits the cache.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
fi

# Optimised like the plain build (the floating-point guards are tested where GCC reorders code);
# float-divide-by-zero stays off: the program's floating-point guards report those faults.
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g1"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVIL_BUILD_BENCHMARKS=OFF \
  -DQUORVIL_WINDOW_TEST_TIMEOUT=1800 \
  "-DCMAKE_CXX_FLAGS=$sanitize" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" \
  "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Leaks inside the system's libraries (fontconfig, the Qt platform plugins) are not the program's.
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
# The embedded build and the installation are build-system tests: the plain run covers them.
ctest --test-dir "$build" --output-on-failure -j"$jobs" -E '^(EmbedAsSubdirectory|InstallTest)$'
