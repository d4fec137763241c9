#!/usr/bin/env bash
# The whole contact sheet of the sample configuration (register-config
# preview, every section, as one process) against the time register takes to
# show its first window, measured in the same run on the same machine.
#
#   benchmarks/config_preview.sh [build folder] [runs]
#
# Needs register and register-config built, xvfb-run and xdotool. Prints the
# median of each and how many first windows the sheet costs (target: under 15).
set -euo pipefail

build=${1:-build}
runs=${2:-5}
bin=$(cd "$build/bin" && pwd)
for program in register register-config; do
  [[ -x $bin/$program ]] || { echo "missing $bin/$program (build it first)" >&2; exit 2; }
done
for tool in xvfb-run xdotool; do
  command -v $tool >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
done
sample=$(cd "$(dirname "$0")/.." && pwd)/register/sample/config.xml

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/game" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
cp "$bin/register" "$work/game/register"
cp "$sample" "$work/game/config.xml"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"

# One X server for every run. A first window counts from the start of the
# process to the moment xdotool sees its window mapped.
cat > "$work/measure.sh" <<'SH'
set -euo pipefail
work=$1 bin=$2 sample=$3 runs=$4
now() { date +%s%N; }
for i in $(seq "$runs"); do
  start=$(now)
  QT_QPA_PLATFORM=xcb "$work/game/register" & pid=$!
  until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "register ended without a window" >&2; exit 1; }
    sleep 0.005
  done
  echo "first $(( ($(now) - start) / 1000 ))"
  kill "$pid"; wait "$pid" 2>/dev/null || true
done
for i in $(seq "$runs"); do
  rm -rf "$work/sheet"
  start=$(now)
  "$bin/register-config" preview "$sample" --out "$work/sheet"
  echo "sheet $(( ($(now) - start) / 1000 ))"
done
echo "screens $(ls "$work/sheet"/*.png | wc -l)"
SH
# A display number of our own: other jobs on the machine start X servers too,
# and two that race for the same number lose each other's clients.
xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 1024x768x24" bash "$work/measure.sh" "$work" "$bin" "$sample" "$runs" \
  > "$work/times.txt"

/usr/bin/python3 - "$work/times.txt" <<'PY'
import statistics, sys
first, sheet, screens = [], [], 0
for line in open(sys.argv[1]):
    kind, value = line.split()
    if kind == "first": first.append(int(value) / 1000)
    elif kind == "sheet": sheet.append(int(value) / 1000)
    else: screens = int(value)
f, s = statistics.median(first), statistics.median(sheet)
print(f"register first window  median {f:8.1f} ms  (runs: {', '.join(f'{v:.0f}' for v in first)})")
print(f"preview, whole sheet   median {s:8.1f} ms  (runs: {', '.join(f'{v:.0f}' for v in sheet)}), {screens} screens")
print(f"sheet / first window   {s / f:.2f} first windows (target: under 15)")
PY
