# Shared set-up for the end-to-end tests: a private Xvfb, the program installed
# into a temporary prefix and run from its share/tavi folder, and xdotool helpers
# that wait for windows by title. Every process started here is ended on exit.
set -euo pipefail

BUILD_DIR=${BUILD_DIR:?BUILD_DIR must name the build folder}
TMP=$(mktemp -d)
PREFIX=$TMP/prefix
WORK=$PREFIX/share/tavi
XVFB_PID=""
TAVI_PID=""

cleanup() {
  [ -n "$TAVI_PID" ] && kill "$TAVI_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$TMP"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -n "${DISPLAY:-}" ]; then
    echo "visible windows:" >&2
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
      echo "  $w '$(xdotool getwindowname "$w" 2>/dev/null)'" >&2
    done
  fi
  exit 1
}

start_x() {
  local fifo=$TMP/displayfd
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local disp
  read -r disp <"$fifo" || fail "Xvfb did not start"
  export DISPLAY=:$disp
}

install_program() {
  cmake --install "$BUILD_DIR" --prefix "$PREFIX" >/dev/null
  [ -x "$PREFIX/bin/tavi" ] || fail "tavi was not installed"
  [ -f "$WORK/help.txt" ] || fail "help.txt was not installed"
}

start_tavi() {
  (cd "$WORK" && exec env -u QT_QPA_PLATFORM HOME="$TMP" XDG_RUNTIME_DIR="$TMP" "$PREFIX/bin/tavi") &
  TAVI_PID=$!
}

# wait_window TITLE [SECONDS]: prints the id of the visible window titled exactly
# TITLE, waiting for it to appear.
wait_window() {
  local title=$1 secs=${2:-20} id
  id=$(timeout "$secs" xdotool search --sync --onlyvisible --name "^$(regex_quote "$title")\$" 2>/dev/null | head -n 1) ||
    fail "no window '$title' within ${secs}s"
  [ -n "$id" ] || fail "no window '$title'"
  echo "$id"
}

# wait_gone TITLE [SECONDS]: waits until no visible window has that title.
wait_gone() {
  local title=$1 secs=${2:-20} i
  for ((i = 0; i < secs * 20; i++)); do
    xdotool search --onlyvisible --name "^$(regex_quote "$title")\$" >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  fail "window '$title' still there after ${secs}s"
}

# The dialog or box that appeared over the program: any visible window titled
# other than the ones named.
regex_quote() { printf '%s' "$1" | sed 's/[][\.*^$(){}?+|/]/\\&/g'; }

# click WINDOW X Y: left click at window-relative coordinates.
click() {
  xdotool mousemove --sync --window "$1" "$2" "$3" click 1
}

focus() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
}

# type_into WINDOW TEXT: types into the focused control of the window, then Enter.
type_enter() {
  focus "$1"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 5 -- "$2"
  xdotool key Return
}

key() {
  focus "$1"
  xdotool key "$2"
}

wait_exit() { # PID SECONDS: waits for the process to end; prints its exit code
  local pid=$1 secs=${2:-20} i
  for ((i = 0; i < secs * 20; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"; echo $?; return 0
    fi
    sleep 0.05
  done
  fail "process $pid still running after ${secs}s"
}
