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
EXTRA_PIDS=() # further helpers (window manager, programs started for another user)

cleanup() {
  [ -n "$TAVI_PID" ] && kill "$TAVI_PID" 2>/dev/null || true
  for p in "${EXTRA_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
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
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
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

# start_tavi [WRAPPER...]: starts the program, through WRAPPER (e.g. prlimit) if given.
start_tavi() {
  (cd "$WORK" && exec env -u QT_QPA_PLATFORM HOME="$TMP" XDG_RUNTIME_DIR="$TMP" "$@" "$PREFIX/bin/tavi") &
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

regex_quote() { printf '%s' "$1" | sed 's/[][\.*^$(){}?+|/]/\\&/g'; }

# click WINDOW X Y: left click at window-relative coordinates.
click() {
  xdotool mousemove --sync --window "$1" "$2" "$3" click 1
}

# focus WINDOW: gives it the keyboard and waits until the server says it has it,
# so that keys typed next cannot reach the window before it is ready for them.
focus() {
  local i
  for ((i = 0; i < 100; i++)); do
    xdotool windowfocus "$1" 2>/dev/null || true
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    sleep 0.05
  done
  fail "window $1 did not take the focus"
}

# type_text TEXT: replaces the text of the focused box by TEXT.
type_text() {
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 2 -- "$1"
}

key() {
  focus "$1"
  xdotool key "$2"
}

# wait_exit [SECONDS]: waits for the program to end and checks its exit code is 0.
wait_exit() {
  local secs=${1:-20} i rc
  for ((i = 0; i < secs * 20; i++)); do
    if ! kill -0 "$TAVI_PID" 2>/dev/null; then
      wait "$TAVI_PID" && rc=0 || rc=$?
      TAVI_PID=""
      [ "$rc" = 0 ] || fail "exit code $rc"
      return 0
    fi
    sleep 0.05
  done
  fail "program still running after ${secs}s"
}

# wait_dialog KNOWN_ID...: prints the id of a visible window of the program that is
# none of the known ones (a file dialog has no title of the program's own).
wait_dialog() {
  local i w known
  for ((i = 0; i < 400; i++)); do
    for w in $(xdotool search --onlyvisible --pid "$TAVI_PID" 2>/dev/null); do
      known=0
      for k in "$@"; do [ "$w" = "$k" ] && known=1; done
      [ $known = 0 ] && [ -n "$(xdotool getwindowname "$w" 2>/dev/null)" ] && { echo "$w"; return 0; }
    done
    sleep 0.05
  done
  fail "no dialog appeared"
}

# choose_file DIALOG PATH: types the path into the file dialog's name field and
# confirms; Enter again if a completion list took the first one.
choose_file() {
  local dlg=$1 path=$2 i
  focus "$dlg"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 2 -- "$path"
  for ((i = 0; i < 3; i++)); do
    xdotool key Return
    for ((j = 0; j < 20; j++)); do
      xdotool getwindowname "$dlg" >/dev/null 2>&1 && xdotool search --onlyvisible --pid "$TAVI_PID" 2>/dev/null | grep -qx "$dlg" || return 0
      sleep 0.05
    done
  done
  fail "file dialog did not take $path"
}

# wait_file PATH: waits until the file exists and its size stops changing.
wait_file() {
  local i
  for ((i = 0; i < 200; i++)); do
    [ -f "$1" ] && return 0
    sleep 0.05
  done
  fail "no file $1"
}

# start_tavi_env NAME=VALUE...: start_tavi with these settings added (a desktop
# theme, a scale factor).
start_tavi_env() {
  (cd "$WORK" && exec env -u QT_QPA_PLATFORM HOME="$TMP" XDG_RUNTIME_DIR="$TMP" "$@" "$PREFIX/bin/tavi") &
  TAVI_PID=$!
}

# contrast WINDOW X Y W H [FILE]: prints the contrast ratio of the text in that
# region of the window against its background, the background's luminance (0
# black ... 1 white), and the first and last rows of the region with text in them;
# FILE gets the region as a PNG picture.
contrast() {
  env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$TMP" "$BUILD_DIR/tests/shot" "$@" 2>/dev/null ||
    fail "no picture of window $1"
}

# need_contrast WHAT MIN WINDOW X Y W H: the text there stands out from a light
# background at least MIN:1 (waiting a little for the window to be drawn).
need_contrast() {
  local what=$1 min=$2 ratio light i
  shift 2
  for ((i = 0; i < 50; i++)); do
    read -r ratio light _ < <(contrast "$@")
    awk -v r="$ratio" -v m="$min" -v l="$light" 'BEGIN { exit !(r >= m && l >= 0.6) }' && break
    sleep 0.1
  done
  echo "$what: contrast $ratio:1 on a background of luminance $light"
  awk -v r="$ratio" -v m="$min" 'BEGIN { exit !(r >= m) }' || fail "$what: contrast $ratio:1, below $min:1"
  awk -v l="$light" 'BEGIN { exit !(l >= 0.6) }' || fail "$what: dark background ($light)"
}

# skip REASON: ends the scenario as skipped (CTest's SKIP_RETURN_CODE).
skip() {
  echo "SKIP: $*"
  exit 77
}

# start_wm: runs openbox on the display, as a learner's desktop would, and waits
# until it manages windows.
start_wm() {
  command -v openbox >/dev/null || skip "openbox is not installed (scripts/install-deps installs it)"
  HOME=$TMP XDG_CONFIG_HOME=$TMP/.config openbox --sm-disable >/dev/null 2>&1 &
  EXTRA_PIDS+=($!)
  local i
  for ((i = 0; i < 200; i++)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.05
  done
  fail "openbox did not start"
}

# root_windows PROPERTY: the window ids (decimal) a root window property lists,
# for _NET_CLIENT_LIST_STACKING from the bottom up.
root_windows() {
  local h
  for h in $(xprop -root "$1" 2>/dev/null | sed -n 's/^[^#]*# //p' | tr ',' ' '); do echo $((h)); done
}

active_window() { root_windows _NET_ACTIVE_WINDOW | head -n 1; }

# wait_active WINDOW: waits until the window manager has made WINDOW the active one.
wait_active() {
  local i
  for ((i = 0; i < 200; i++)); do
    [ "$(active_window)" = "$1" ] && return 0
    sleep 0.05
  done
  fail "window $1 '$(xdotool getwindowname "$1")' is not active; active: $(active_window) '$(xdotool getwindowname "$(active_window)" 2>/dev/null)'"
}

# wait_above WINDOW OTHER...: waits until WINDOW lies above every OTHER.
wait_above() {
  local w=$1 i o stack pos
  shift
  for ((i = 0; i < 200; i++)); do
    stack=" $(root_windows _NET_CLIENT_LIST_STACKING | tr '\n' ' ')"
    pos=${stack%% $w *}
    local ok=1
    for o in "$@"; do
      case "$pos " in *" $o "*) ;; *) ok=0 ;; esac
    done
    [ "$stack" != "$pos" ] && [ $ok = 1 ] && return 0
    sleep 0.05
  done
  fail "window $w is not above $*; stacking:$stack"
}

# frame_extents WINDOW: LEFT RIGHT TOP BOTTOM of the frame the manager put around it.
frame_extents() {
  xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',' | grep . || echo "0 0 0 0"
}

# frame_geometry WINDOW: X Y WIDTH HEIGHT of the window with its frame.
frame_geometry() {
  local l r t b x y w h
  read -r l r t b <<<"$(frame_extents "$1")"
  read -r x y w h <<<"$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')"
  echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

# screenshot NAME: with E2E_SHOTS set to a folder, saves the screen there as
# NAME.png; otherwise does nothing. The screen is read as the server composes it:
# `xwd -root` leaves a window of the program black wherever it lies wholly inside
# another one.
screenshot() {
  [ -n "${E2E_SHOTS:-}" ] || return 0
  sleep 1 # let the windows paint
  mkdir -p "$E2E_SHOTS"
  local w h # the whole root, across every monitor
  read -r w h <<<"$(xwininfo -root | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')"
  contrast 0 0 0 "$w" "$h" "$E2E_SHOTS/$1.png" >/dev/null
}

# client_origin WINDOW: X Y of its client area on the screen.
client_origin() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'
}

# press_without_click WINDOW X Y: gives the button there the focus as a mouse press
# does, releasing the button elsewhere so that it is not clicked.
press_without_click() {
  xdotool mousemove --sync --window "$1" "$2" "$3" mousedown 1
  xdotool mousemove --sync --window "$1" 2 $(($3 + 7)) mouseup 1
}
