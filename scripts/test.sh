#!/usr/bin/env bash
# Sets everything up, builds the test preset (AddressSanitizer + UBSan) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset test >/dev/null
cmake --build --preset test
ctest --preset test -j "$(nproc)" "$@"
