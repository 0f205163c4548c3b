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
source "$(dirname "$0")/wait-for-line.sh"
PORT=$(wait_for_line "$SIM_OUT" '.' "$SIM_PID" 50 "$DEMO_DIR/dtu-sim.err") ||
  { echo "run-gui-demo: dtu-sim did not report its port" >&2; exit 1; }
echo "run-gui-demo: simulated DTU on $PORT; press Open Port in the window"
cd "$DEMO_DIR"
"$APP" --port "$PORT" "$@"
