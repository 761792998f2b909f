#!/usr/bin/env bash
# Runs the whole test suite on a real (virtual) X display.
set -euo pipefail
cd "$(dirname "$0")/.."
discs=${VANTOREL_SHARED_DISCS:-$(cd .. && pwd)/shared/discs}
if [ -d "$discs" ]; then
  cmake -S . -B build -DVANTOREL_SHARED_DISCS="$discs" >/dev/null
  cmake --build build -j"$(nproc)"
fi
export HOME=${HOME:-/root}
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --test-dir build --output-on-failure --timeout 600 "$@"
