#!/usr/bin/env bash
# Installs what is missing, builds and starts Quorvil.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
exec "$root/build/bin/quorvil"
