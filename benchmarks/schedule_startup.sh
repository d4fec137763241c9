#!/usr/bin/env bash
# Start-up cost of schedule, which runs at every logon, against the floor of a
# minimal QtCore program that parses one date (minimal_date_parse).
#
#   benchmarks/schedule_startup.sh [build folder]
#
# The build folder must be configured with -DVELMORA_BUILD_BENCHMARKS=ON and
# have the schedule and minimal_date_parse targets built. Prints hyperfine's
# comparison, the peak resident memory of each, and both ratios.
set -euo pipefail

build=${1:-build}
bin=$(cd "$build/bin" && pwd)
for program in schedule minimal_date_parse; do
  [[ -x $bin/$program ]] || { echo "missing $bin/$program (build it first)" >&2; exit 2; }
done
command -v hyperfine >/dev/null || { echo "hyperfine is not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# schedule in a game folder of its own, with a register that must never run
# (the due moment lies far in the future) and a private autostart folder.
mkdir -p "$work/game" "$work/cfg/autostart" "$work/home"
cp "$bin/schedule" "$work/game/schedule"
printf '#!/bin/sh\ntouch "%s/register-ran"\n' "$work" > "$work/game/register"
chmod +x "$work/game/register"
echo '[Desktop Entry]' > "$work/cfg/autostart/Deep Sky registration reminder.desktop"

# Neither program sets the C library's locale, so the locale needs no
# installing: Qt reads its name from the environment. (Exported through env so
# this shell does not try to switch to it.)
export HOME="$work/home" XDG_CONFIG_HOME="$work/cfg"
in_locale() { env LC_ALL=en_US.UTF-8 "$@"; }
# The due moment as register writes it in en_US: short date with a four-digit
# year, then the long time without the zone.
due=$(LC_ALL=C date -d '2999-04-02 16:45:05' '+%-m/%-d/%Y %-I:%M:%S %p')
args="/$due /game=Deep Sky /language=English /country=Canada /url=http://example.test/register.asp"

in_locale "$work/game/schedule" "$args"
in_locale "$bin/minimal_date_parse" "$due" || { echo "minimal_date_parse did not read $due" >&2; exit 1; }
if [[ -e $work/register-ran ]]; then
  echo "schedule took the due moment for a past one; the comparison is void" >&2
  exit 1
fi

in_locale hyperfine -N --warmup 20 --runs 300 --export-json "$work/times.json" \
  -n minimal_date_parse "$bin/minimal_date_parse '$due'" \
  -n schedule "$work/game/schedule '$args'"

peak_kb() { # peak resident set of one run, in kilobytes (the largest of 20)
  local max=0 kb
  for _ in $(seq 20); do
    kb=$(in_locale /usr/bin/time -v "$@" 2>&1 >/dev/null |
         sed -n 's/.*Maximum resident set size (kbytes): //p')
    (( kb > max )) && max=$kb
  done
  echo "$max"
}
floor_kb=$(peak_kb "$bin/minimal_date_parse" "$due")
schedule_kb=$(peak_kb "$work/game/schedule" "$args")

/usr/bin/python3 - "$work/times.json" "$floor_kb" "$schedule_kb" <<'PY'
import json, sys
times = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
floor, sched = times["minimal_date_parse"], times["schedule"]
floor_kb, sched_kb = int(sys.argv[2]), int(sys.argv[3])
print(f"time   minimal_date_parse {floor['mean']*1000:7.2f} ms  (median {floor['median']*1000:.2f})")
print(f"time   schedule           {sched['mean']*1000:7.2f} ms  (median {sched['median']*1000:.2f})")
print(f"time   ratio               mean {sched['mean']/floor['mean']:.3f}x, median {sched['median']/floor['median']:.3f}x, "
      f"fastest run {sched['min']/floor['min']:.3f}x (the machine's load shows in the mean)")
print(f"memory minimal_date_parse {floor_kb} KB peak RSS")
print(f"memory schedule           {sched_kb} KB peak RSS")
print(f"memory ratio               {sched_kb/floor_kb:.3f}x")
PY
