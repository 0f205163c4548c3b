# Sourced by the demo scripts.
# wait_for_line FILE PATTERN PID TRIES ERRFILE: prints the first line of FILE
# that matches the grep pattern, polling every 0.1 s up to TRIES times. Fails
# (printing ERRFILE to stderr) when the process PID ended before, or when the
# line never came.
wait_for_line() {
  local file=$1 pattern=$2 pid=$3 tries=$4 errfile=$5 line=""
  for _ in $(seq 1 "$tries"); do
    line=$(grep -m1 -e "$pattern" "$file" 2>/dev/null || true)
    if [ -n "$line" ]; then
      printf '%s\n' "$line"
      return 0
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "ended early:" >&2
      cat "$errfile" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "gave no sign of life in time" >&2
  return 1
}
