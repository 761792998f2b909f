#!/usr/bin/env bash
# Shows that the build needs nothing but the installed packages: no build file
# downloads anything, and a scratch build configures, and builds the probe,
# with networking unavailable (in a network namespace of its own: unshare -n
# as root, unshare -rn otherwise). Where neither is permitted it says so and
# skips that part.
set -euo pipefail
cd "$(dirname "$0")/.."

if grep -rnE --include=CMakeLists.txt --include='*.cmake' --exclude-dir='build*' \
     'file *\( *DOWNLOAD|ExternalProject|FetchContent' .; then
  echo "check-offline-build: the build files above download something" >&2
  exit 1
fi

isolate=()
for candidate in "unshare -n" "unshare -rn"; do
  if $candidate true 2>/dev/null; then
    read -r -a isolate <<<"$candidate"
    break
  fi
done
if [ ${#isolate[@]} -eq 0 ]; then
  echo "check-offline-build: skipped, this machine permits neither unshare -n nor unshare -rn"
  exit 0
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"${isolate[@]}" bash -c '
  set -eu
  # Only the loopback device is left in a fresh network namespace.
  if [ "$(awk "NR > 2 { print \$1 }" /proc/net/dev)" != "lo:" ]; then
    echo "check-offline-build: the namespace still has a network" >&2
    exit 1
  fi
  if ! { cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
           && cmake --build "$1" --target tool -j"$(nproc)"; } >"$1.log" 2>&1; then
    cat "$1.log" >&2
    exit 1
  fi
' check-offline-build "$scratch/build"
echo "check-offline-build: configured and built the probe with networking unavailable (${isolate[*]})"
