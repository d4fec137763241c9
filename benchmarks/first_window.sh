#!/usr/bin/env bash
# The wizard's first window against the simplest Qt program that shows the same
# skinned picture (bare_skinned): time from process start to the map of the
# first window, and peak memory, on a private Xvfb. See README.md.
#
#   benchmarks/first_window.sh [build folder] [runs]
#
# The build folder (default build-release) is configured as a Release build with
# the benchmarks when it is not configured yet; register and bare_skinned are
# built (incrementally) before measuring.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$source_dir/build-release}
runs=${2:-15}

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCHMARKS=ON >/dev/null
fi
grep -q '^VELMORA_BUILD_BENCHMARKS:BOOL=ON' "$build/CMakeCache.txt" ||
  { echo "$build is not configured with -DVELMORA_BUILD_BENCHMARKS=ON" >&2; exit 2; }
grep -q '^CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt" ||
  echo "note: $build is not a Release build; its figures are not the ones to compare" >&2
cmake --build "$build" -j "$(nproc)" --target register bare_skinned >/dev/null

for tool in Xvfb xev xprop stdbuf; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool (tools/ensure-deps.sh installs it)" >&2; exit 2; }
done
bin=$(cd "$build/bin" && pwd)
exec /usr/bin/python3 "$source_dir/benchmarks/first_window.py" --runs "$runs" \
  "bare_skinned=$bin/bare_skinned" "register=$bin/register"
