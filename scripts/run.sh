#!/usr/bin/env bash
# Installs what is missing, builds the program alone (not the tests and benchmarks) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" quorvil
exec "$root/build/bin/quorvil" "$@"
