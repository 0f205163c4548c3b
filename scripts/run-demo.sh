#!/usr/bin/env bash
# Starts the simulated DTU and reads the seven device-information settings
# from it through varnokctl, printing the device's answers. The simulator is
# stopped (by its process id) however the script ends.
set -euo pipefail
BUILD=${1:-build}
# On a desktop the main window opens on the simulator; without a display the
# headless demo below runs instead.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$BUILD/app/varnok-configure-tool" ]; then
  exec bash "$(dirname "$0")/run-gui-demo.sh" "$BUILD"
fi
echo "run-demo: no display (DISPLAY and WAYLAND_DISPLAY are unset): running the headless demo instead."
SIM="$BUILD/sim/dtu-sim"
CTL="$BUILD/cli/varnokctl"
for tool in "$SIM" "$CTL"; do
  [ -x "$tool" ] || { echo "run-demo: $tool is missing; build first" >&2; exit 1; }
done

work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

"$SIM" --baud 115200 >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
port=""
for _ in $(seq 1 100); do
  port=$(head -n 1 "$work/sim.out" 2>/dev/null || true)
  [ -n "$port" ] && break
  sleep 0.05
done
[ -n "$port" ] || { echo "run-demo: dtu-sim did not start: $(cat "$work/sim.err")" >&2; exit 1; }

echo "dtu-sim is answering on $port; reading the device information:"
"$CTL" send -p "$port" \
  'AT+ZEVCFG=get|version' 'AT+ZEVCFG=get|imei' 'AT+ZEVCFG=get|imsi' 'AT+ZEVCFG=get|iccid' \
  'AT+ZEVCFG=get|remoteCfgInfo' 'AT+ZEVCFG=get|logLevel' 'AT+ZEVCFG=get|watchdog-switch'
