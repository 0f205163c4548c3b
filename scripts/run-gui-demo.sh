#!/usr/bin/env bash
# Opens the main window on the simulated DTU: starts dtu-sim on a
# pseudo-terminal, puts its port in the window's port list (selected), and
# stops the simulator when the window closes.
# Usage: run-gui-demo.sh BUILD_DIR [more options for the window]
set -euo pipefail
BUILD=${1:-build}
shift || true
BUILD=$(cd "$BUILD" && pwd)
APP="$BUILD/app/varnok-configure-tool"
SIM="$BUILD/sim/dtu-sim"
if [ ! -x "$APP" ] || [ ! -x "$SIM" ]; then
  echo "run-gui-demo: build first (varnok-configure-tool or dtu-sim missing in $BUILD)" >&2
  exit 1
fi

# The window keeps its configuration file and log in a folder of its own.
DEMO_DIR="$BUILD/demo"
mkdir -p "$DEMO_DIR"
SIM_OUT="$DEMO_DIR/dtu-sim.out"
: > "$SIM_OUT"
"$SIM" --baud 115200 > "$SIM_OUT" 2> "$DEMO_DIR/dtu-sim.err" &
SIM_PID=$!
trap 'kill "$SIM_PID" 2>/dev/null || true; wait "$SIM_PID" 2>/dev/null || true' EXIT

# dtu-sim prints the pseudo-terminal's path on its first line.
PORT=""
for _ in $(seq 1 50); do
  PORT=$(head -n 1 "$SIM_OUT" 2>/dev/null || true)
  [ -n "$PORT" ] && break
  if ! kill -0 "$SIM_PID" 2>/dev/null; then
    echo "run-gui-demo: dtu-sim ended early:" >&2
    cat "$DEMO_DIR/dtu-sim.err" >&2
    exit 1
  fi
  sleep 0.1
done
if [ -z "$PORT" ]; then
  echo "run-gui-demo: dtu-sim did not report its port" >&2
  exit 1
fi
echo "run-gui-demo: simulated DTU on $PORT; press Open Port in the window"
cd "$DEMO_DIR"
"$APP" --port "$PORT" "$@"
