#!/usr/bin/env bash
# Fuzzes the drawing open path (DXF reading, and saving what was read) with libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer, starting from real drawings.
#   scripts/fuzz-dxf.sh [seconds=1800] [work folder=build-fuzz]
# Needs clang and libclang-rt-dev (libFuzzer), Qt 6, dxflib, and python3-ezdxf for the seed drawings.
# Findings (crash-*, leak-*, timeout-*) are written into the work folder; the corpus grows in corpus/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-1800}
work=${2:-$root/build-fuzz}
mkdir -p "$work/corpus" "$work/seeds"
cd "$work"

flags="-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fPIC"
clang++ $flags -I"$root" $(pkg-config --cflags Qt6Core) \
  "$root/scripts/DxfFuzzTarget.cpp" "$root"/io/dxf/*.cpp "$root/io/FileAccess.cpp" "$root/io/TextCodec.cpp" \
  -ldxflib $(pkg-config --libs Qt6Core) -o dxf-fuzz

# Seeds: drawings made by ezdxf with every entity type, in both text encodings.
for version in R2000 R2018; do
  [ -f "seeds/ezdxf-$version.dxf" ] || /usr/bin/python3 "$root/tests/io/ezdxf_reference.py" make "seeds/ezdxf-$version.dxf" "$version"
done
cp -n "$root"/resources/*.dxf seeds/ 2>/dev/null || true
# Real drawings from many writers (pass-through entities, objects, classes, attributes, code pages,
# planes, embedded MTEXT objects, text after the end marker, a truncated file) and the findings kept.
# (the small ones: a large seed slows every execution down)
find "$root/tests/io/data/realdxf" -iname '*.dxf' -size -64k -exec cp -n {} seeds/ \; 2>/dev/null || true
cp -n "$root"/tests/io/data/fuzz/* seeds/ 2>/dev/null || true

# One process (the machine is shared); no leak check, since Qt keeps some allocations for good.
ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
  nice -n 19 ./dxf-fuzz -max_total_time="$seconds" -max_len=262144 -rss_limit_mb=3072 -timeout=20 \
  -print_final_stats=1 -artifact_prefix="$work/" corpus seeds 2>&1 | tee fuzz.log | grep -v "^#[0-9]*\s*\(REDUCE\|NEW\|pulse\)" || true
echo "findings:"; ls "$work" | grep -E '^(crash|leak|timeout|oom)-' || echo "none"
