# Shared by the scripts: one line says what a step does; the step's own output
# goes to a log that is shown only when the step fails.
#   step LOG "what it does" command [args...]

step() {
  local log=$1 what=$2
  shift 2
  echo "--- $what"
  mkdir -p "$(dirname "$log")"
  if ! "$@" >"$log" 2>&1; then
    echo "--- failed: $what (log: $log)" >&2
    cat "$log" >&2
    return 1
  fi
}
