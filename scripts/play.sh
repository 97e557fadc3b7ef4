#!/usr/bin/env bash
# Sets everything up, builds the release preset and runs the game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tumbleroo
exec build/release/bin/tumbleroo "$@"
