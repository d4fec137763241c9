#!/usr/bin/env bash
# Installs what is missing, builds, starts the registration service on
# 127.0.0.1 with a temporary database and opens the wizard on the sample
# configuration, pointed at it. When the wizard ends, the registrations the
# service stored are printed as the publisher's export (CSV).
# Arguments are passed to the wizard, e.g. ./run.sh /language=french /country=Canada /default=1
# Without a display the wizard runs under Xvfb and a screenshot of its first
# screen is saved under the build folder.
set -euo pipefail
cd "$(dirname "$0")"
source tools/ensure-deps.sh
velmora_ensure_deps

BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)" --target register schedule registrations
BIN="$PWD/$BUILD_DIR/bin"
CONFIG="$BIN/config.xml"

# The service prints the address it took, then one line per request (without
# the player's data) on standard error.
WORK=$(mktemp -d)
SERVER_LOG="$WORK/service.log"
"$BIN/registrations" serve --db "$WORK/registrations.db" --config "$CONFIG" \
  --listen 127.0.0.1:0 >"$SERVER_LOG" 2>&1 &
SERVER_PID=$!
TAIL_PID=
cleanup() {
  kill "$SERVER_PID" 2>/dev/null || true
  [ -n "$TAIL_PID" ] && kill "$TAIL_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
PORT=
for _ in $(seq 1 100); do
  PORT=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$SERVER_LOG" | head -n 1)
  [ -n "$PORT" ] && break
  kill -0 "$SERVER_PID" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$PORT" ]; then
  echo "The registration service did not start:" >&2
  cat "$SERVER_LOG" >&2
  exit 1
fi
URL="http://127.0.0.1:$PORT/register.asp"
echo "Registration service listening at $URL"
tail -n +2 -f "$SERVER_LOG" &
TAIL_PID=$!

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  "$BIN/register" "/url=$URL" "$@" || true
else
  SHOT_DIR="$PWD/$BUILD_DIR/screenshots"
  mkdir -p "$SHOT_DIR"
  SHOT="$SHOT_DIR/region-and-language.png"
  echo "No display: running the wizard under Xvfb to take a screenshot."
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1" "/url=$2" "${@:4}" & pid=$!
    for _ in $(seq 1 100); do
      xdotool search --onlyvisible --name . >/dev/null 2>&1 && break
      sleep 0.1
    done
    sleep 1
    import -window root "$3"
    kill $pid' _ "$BIN/register" "$URL" "$SHOT" "$@"
  echo "Screenshot of the first screen: $SHOT"
fi

# What the publisher gets out of it: every stored registration, a column per question.
kill "$SERVER_PID" 2>/dev/null || true
wait "$SERVER_PID" 2>/dev/null || true
echo
echo "Registrations received (registrations export --config config.xml):"
"$BIN/registrations" export --db "$WORK/registrations.db" --config "$CONFIG"
