#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short smoke (seconds as $1).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
seconds=${1:-20}
cmake --preset fuzz -DTUMBLEROO_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build --preset fuzz --target fuzz_targets
ctest --preset fuzz -j "$(nproc)"
