#!/usr/bin/env bash
# Runs the whole test suite on a real (virtual) X display.
set -euo pipefail
cd "$(dirname "$0")/.."
# The real disc structures, when they are beside the checkout, reach the
# tests at run time: the build made by setup.sh is used as it is.
discs=${VANTOREL_SHARED_DISCS:-$(cd .. && pwd)/shared/discs}
if [ -d "$discs" ]; then
  export VANTOREL_SHARED_DISCS="$discs"
fi
# Brings the build up to date after a change; after setup.sh there is nothing
# to do.
cmake --build build -j"$(nproc)"
export HOME=${HOME:-/root}
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --test-dir build --output-on-failure --timeout 600 "$@"
