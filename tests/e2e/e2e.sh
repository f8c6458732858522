#!/usr/bin/env bash
# End-to-end: the installed program under a real X server, driven as a learner
# drives it (clicks at the designed places, typed paths, Enter), judged only from
# outside: window titles and the bytes of the files it writes.
#   BUILD_DIR=build tests/e2e/e2e.sh SCENARIO
source "$(dirname "$0")/lib.sh"

# Where the designed controls are, in the windows' client areas (menu bar 20 px).
MENU=20
at() { echo "$1 $(($2 + MENU))"; } # X Y of a control's centre below the menu bar

# Quiz window controls (centres).
Q_LOAD=$(at 380 236); Q_SAVE=$(at 128 236); Q_CLOSE=$(at 44 236); Q_EDIT=$(at 296 236)
Q_SWAP=$(at 212 236); Q_MEMORISED=$(at 360 100); Q_ANSWER1=$(at 156 100); Q_NEXT=$(at 360 180)
# Editor controls.
E_EDIT1=$(at 132 45); E_EDIT2=$(at 132 77); E_ADD=$(at 225 116); E_SAVE=$(at 49 116)

# A list of five entries, q0/a0 ... q4/a4, the answers in code page 932.
make_list() {
  local i
  : >"$1"
  for i in 0 1 2 3 4; do printf 'q%d\r\n\x93\x9a%d\r\n' "$i" "$i" >>"$1"; done
}

# load_list MAIN PATH: loads PATH in the quiz window through 読み込み.
load_list() {
  local dlg
  click "$1" $Q_LOAD
  dlg=$(wait_dialog "$1")
  choose_file "$dlg" "$2"
  wait_window "Sorvik($2)" >/dev/null
}

# editor_with_list MAIN PATH: shows the editor by 編集画面, opens PATH through its
# menu and prints the editor's id.
editor_with_list() {
  local main=$1 path=$2 ed dlg
  click "$main" $Q_EDIT
  ed=$(wait_window "単語編集")
  click "$ed" 25 10 # menu ファイル
  click "$ed" 40 28 # 開く
  dlg=$(wait_dialog "$main" "$ed")
  choose_file "$dlg" "$path"
  wait_window "Sorvik($path)" >/dev/null
  echo "$ed"
}

scenario_drill() {
  make_list "$TMP/list.dat"
  start_tavi
  local main dlg box
  main=$(wait_window "☆Sorvik")
  load_list "$main" "$TMP/list.dat"
  click "$main" $Q_ANSWER1
  click "$main" $Q_NEXT
  click "$main" $Q_MEMORISED
  box=$(wait_window "移動")
  key "$box" Return # Yes, the default
  wait_gone "移動"
  click "$main" $Q_SWAP
  click "$main" $Q_SAVE
  dlg=$(wait_dialog "$main")
  choose_file "$dlg" "$TMP/out.dat"
  wait_file "$TMP/out.dat"
  # Entry 1 (asked after ">>") went to the end, then every entry was swapped.
  : >"$TMP/expected.dat"
  for i in 0 2 3 4 1; do printf '\x93\x9a%d\r\nq%d\r\n' "$i" "$i" >>"$TMP/expected.dat"; done
  cmp "$TMP/out.dat" "$TMP/expected.dat" || fail "saved bytes differ"
  click "$main" $Q_CLOSE
  wait_exit
  # The program keeps nothing between runs, not even the file dialogs' history.
  [ ! -e "$TMP/.config" ] || fail "the program wrote $(find "$TMP/.config" -type f | head -n 1)"
}

scenario_missing_file() {
  start_tavi
  local main dlg box
  main=$(wait_window "☆Sorvik")
  click "$main" $Q_LOAD
  dlg=$(wait_dialog "$main")
  choose_file "$dlg" "$TMP/missing.dat"
  box=$(wait_window "ok")
  key "$box" Escape # Cancel
  wait_gone "ok"
  wait_window "☆Sorvik" >/dev/null
  click "$main" $Q_CLOSE
  wait_exit
}

scenario_editor() {
  make_list "$TMP/list.dat"
  start_tavi
  local main ed dlg box
  main=$(wait_window "☆Sorvik")
  ed=$(editor_with_list "$main" "$TMP/list.dat")
  focus "$ed"
  click "$ed" $E_EDIT1
  type_text "new"
  click "$ed" $E_EDIT2
  type_text "word"
  click "$ed" $E_ADD
  box=$(wait_window "追加")
  key "$box" Return # Yes
  wait_gone "追加"
  click "$ed" $E_SAVE
  dlg=$(wait_dialog "$main" "$ed")
  choose_file "$dlg" "$TMP/edited.dat"
  wait_file "$TMP/edited.dat"
  { printf 'new\r\nword\r\n'; cat "$TMP/list.dat"; } >"$TMP/expected.dat"
  cmp "$TMP/edited.dat" "$TMP/expected.dat" || fail "saved bytes differ"
  click "$main" $Q_CLOSE
  wait_exit
}

# The editor shown from the quiz window is drawn on the screen where it opens,
# wholly over the quiz window. Left unpainted, it would show black there or what
# lies below it: the quiz window's grey buttons where the answer box belongs.
editor_on_screen() {
  start_tavi
  local main ed x y light i
  main=$(wait_window "☆Sorvik")
  click "$main" $Q_EDIT
  ed=$(wait_window "単語編集")
  read -r x y <<<"$(client_origin "$ed")"
  need_contrast "editor labels on the screen" 3 0 $((x + 30)) $((y + MENU + 4)) 180 22
  # The answer box is white, where the quiz window below has grey buttons.
  for ((i = 0; i < 50; i++)); do
    read -r _ light _ < <(contrast 0 $((x + 20)) $((y + MENU + 70)) 200 14)
    awk -v l="$light" 'BEGIN { exit !(l >= 0.95) }' && break
    sleep 0.1
  done
  echo "answer box on the screen: luminance $light"
  awk -v l="$light" 'BEGIN { exit !(l >= 0.95) }' || fail "the answer box is not on the screen (luminance $light)"
  screenshot editor-on-screen
  if [ "${1:-}" = wm ]; then
    # The editor's frame covers 閉じる: a click where it leaves the quiz window
    # uncovered brings that forward.
    click "$main" 20 30
    wait_above "$main" "$ed"
  fi
  click "$main" $Q_CLOSE
  wait_exit
}

scenario_editor_on_screen() { editor_on_screen; }

scenario_wm_editor_on_screen() {
  start_wm
  editor_on_screen wm
}

scenario_about() {
  start_tavi
  local main about
  main=$(wait_window "☆Sorvik")
  click "$main" 111 10 # menu お知らせ
  click "$main" 150 30 # バージョン情報
  about=$(wait_window "ﾊﾞｰｼﾞｮﾝ情報")
  click "$about" 172 192 # OK
  wait_gone "ﾊﾞｰｼﾞｮﾝ情報"
  click "$main" $Q_CLOSE
  wait_exit
}

scenario_close_with_editor_open() {
  start_tavi
  local main
  main=$(wait_window "☆Sorvik")
  click "$main" $Q_EDIT
  wait_window "単語編集" >/dev/null
  click "$main" $Q_CLOSE
  wait_exit
}

scenario_no_help_text() {
  rm "$WORK/help.txt"
  start_tavi
  local box
  box=$(wait_window "Tavi")
  # The report comes before the quiz window is shown.
  xdotool search --onlyvisible --name '^☆Sorvik$' >/dev/null 2>&1 && fail "quiz window visible before the report"
  key "$box" Return
  local main
  main=$(wait_window "☆Sorvik")
  click "$main" $Q_CLOSE
  wait_exit
}

# Under a file size limit (a full disk, to the program) saving a list larger than
# the limit reports the short write, leaves nothing behind, and the program goes
# on: the limit's signal must not end it.
scenario_file_size_limit() {
  local i main dlg box
  for ((i = 0; i < 10000; i++)); do printf 'question %d\r\nanswer %d\r\n' "$i" "$i"; done >"$TMP/big.dat"
  start_tavi prlimit --fsize=65536 --
  main=$(wait_window "☆Sorvik")
  load_list "$main" "$TMP/big.dat"
  click "$main" $Q_SAVE
  dlg=$(wait_dialog "$main")
  choose_file "$dlg" "$TMP/out.dat"
  box=$(wait_window "Tavi")
  kill -0 "$TAVI_PID" 2>/dev/null || fail "the program ended"
  key "$box" Return
  wait_gone "Tavi"
  [ -e "$TMP/out.dat" ] && fail "a partial out.dat was left"
  ls -A "$TMP" | grep -q '^\.out\.dat' && fail "a temporary file was left"
  click "$main" $Q_CLOSE
  wait_exit
}

# Under a dark desktop theme the windows keep the light face and white boxes their
# text colours belong to: every coloured text stands out from a light background,
# measured on the screen. The file dialog follows the theme, which shows that the
# theme is in force.
scenario_dark_theme() {
  local p
  for p in qt6-gtk-platformtheme gnome-themes-extra; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
      { echo "SKIP: $p is not installed (scripts/install-deps installs it)"; exit 77; }
  done
  make_list "$TMP/list.dat"
  start_tavi_env QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark
  local main dlg ed about ratio light i
  main=$(wait_window "☆Sorvik")
  click "$main" $Q_LOAD
  dlg=$(wait_dialog "$main")
  for ((i = 0; i < 50; i++)); do
    read -r ratio light _ < <(contrast "$dlg" 0 0 -1 -1)
    awk -v l="$light" 'BEGIN { exit !(l < 0.2) }' && break
    sleep 0.1
  done
  awk -v l="$light" 'BEGIN { exit !(l < 0.2) }' || fail "the file dialog is not dark ($light): no dark theme"
  choose_file "$dlg" "$TMP/list.dat"
  wait_window "Sorvik($TMP/list.dat)" >/dev/null
  need_contrast "question (black)" 3 "$main" 32 36 200 24
  need_contrast "question number (navy)" 3 "$main" 352 28 65 17
  local y
  for y in 88 120 152 184; do
    need_contrast "answer at $y (maroon)" 3 "$main" 22 $((y + MENU + 4)) 269 17
  done
  click "$main" $Q_ANSWER1
  need_contrast "verdict (navy)" 3 "$main" 72 76 80 17
  click "$main" $(at 360 132) # 正解表示
  need_contrast "correct answer (red)" 3 "$main" 168 76 120 17
  click "$main" $Q_NEXT
  need_contrast "correct answers (green)" 3 "$main" 400 57 16 17
  need_contrast "questions (green)" 3 "$main" 400 81 16 17
  need_contrast "score label (black)" 3 "$main" 352 60 39 14

  ed=$(editor_with_list "$main" "$TMP/list.dat")
  need_contrast "editor's question box (black on white)" 3 "$ed" 12 56 200 19
  need_contrast "editor's answer box (black on white)" 3 "$ed" 12 88 200 19
  need_contrast "editor's entry number (navy)" 3 "$ed" 40 28 57 16
  need_contrast "editor's button (black)" 3 "$ed" 12 128 75 17

  click "$main" 111 10 # menu お知らせ
  click "$main" 150 30 # バージョン情報
  about=$(wait_window "ﾊﾞｰｼﾞｮﾝ情報")
  need_contrast "about box name (green)" 3 "$about" 64 16 100 14
  need_contrast "about box version (navy)" 3 "$about" 224 16 93 14
  need_contrast "about box help text (black on white)" 3 "$about" 20 76 270 80
  click "$about" 172 192 # OK
  wait_gone "ﾊﾞｰｼﾞｮﾝ情報"
  click "$main" $Q_CLOSE
  wait_exit
}

# Under a window manager: any window may come above another, the secondary windows
# have no taskbar entry of their own, and a window closed by a close request hands
# the activation to the highest window left.
scenario_wm_stacking() {
  start_wm
  start_tavi
  local main ed about
  main=$(wait_window "☆Sorvik")
  wait_active "$main"
  [ "$(frame_geometry "$main" | cut -d' ' -f1-2)" = "166 105" ] || fail "quiz window framed at $(frame_geometry "$main")"
  xprop -id "$main" _NET_WM_ICON_NAME | grep -q '= "Tavi"$' || fail "the taskbar label is not Tavi"
  xprop -id "$main" _NET_WM_STATE | grep -q SKIP_TASKBAR && fail "the quiz window has no taskbar entry"
  click "$main" $Q_EDIT
  ed=$(wait_window "単語編集")
  wait_active "$ed"
  wait_above "$ed" "$main"
  # Where the editor leaves the quiz window uncovered, a click brings it forward.
  click "$main" 20 30
  wait_above "$main" "$ed"
  wait_active "$main"
  screenshot quiz-above-editor
  click "$main" 111 10 # menu お知らせ
  click "$main" 150 30 # バージョン情報
  about=$(wait_window "ﾊﾞｰｼﾞｮﾝ情報")
  wait_active "$about"
  wait_above "$about" "$main" "$ed"
  local w
  for w in "$ed" "$about"; do
    xprop -id "$w" WM_TRANSIENT_FOR | grep -q 'not found' || fail "window $w is kept above another: $(xprop -id "$w" WM_TRANSIENT_FOR)"
    xprop -id "$w" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "window $w has a taskbar entry"
  done

  # Editor, quiz window, about box from the bottom up: closing the box activates the
  # quiz window.
  key "$about" alt+F4
  wait_gone "ﾊﾞｰｼﾞｮﾝ情報"
  wait_active "$main"
  # Quiz window, about box, editor: closing the editor activates the about box,
  # which lay above the quiz window.
  click "$main" 111 10
  click "$main" 150 30
  about=$(wait_window "ﾊﾞｰｼﾞｮﾝ情報") # a window shown again may be a new X window
  xdotool windowactivate --sync "$ed"
  wait_above "$ed" "$about" "$main"
  screenshot editor-above-about-above-quiz
  key "$ed" alt+F4
  wait_gone "単語編集"
  wait_active "$about"
  # The highest window takes over, not the one active last: the quiz window raised
  # above the active about box without taking the keyboard.
  xdotool windowactivate --sync "$main"
  click "$main" $Q_EDIT
  ed=$(wait_window "単語編集")
  wait_active "$ed"
  xdotool windowactivate --sync "$about"
  wait_active "$about"
  xdotool windowraise "$main"
  wait_above "$main" "$about" "$ed"
  xdotool key alt+F4
  wait_gone "ﾊﾞｰｼﾞｮﾝ情報"
  wait_active "$main"
  # A minimised editor has no taskbar entry to come back from: 編集画面 restores it.
  xdotool windowminimize --sync "$ed"
  click "$main" $Q_EDIT
  wait_active "$ed"
  xdotool windowactivate --sync "$main"
  click "$main" $Q_CLOSE
  wait_exit
}

# "gjpqy" as the answer shown in red: its descenders are drawn whole, below the
# label's designed 16 pixels, where the taller substituted font used to lose them.
scenario_descenders() {
  local i
  : >"$TMP/gjpqy.dat"
  for i in 0 1 2 3 4; do printf 'gjpqy\r\ngjpqy\r\n' >>"$TMP/gjpqy.dat"; done
  start_tavi
  local main dlg top bottom
  main=$(wait_window "☆Sorvik")
  load_list "$main" "$TMP/gjpqy.dat"
  click "$main" $(at 360 132) # 正解表示
  # Label5 from its top to a few rows below its designed height, inside the panel.
  for ((i = 0; i < 50; i++)); do
    read -r _ _ top bottom < <(contrast "$main" 168 76 120 22)
    [ "$bottom" -ge 16 ] && break
    sleep 0.1
  done
  echo "Label5: text in rows $top to $bottom"
  [ "$top" -ge 0 ] || fail "Label5 shows no text"
  [ "$bottom" -ge 16 ] || fail "Label5: descenders cut off below row $bottom"
  click "$main" $Q_CLOSE
  wait_exit
}

# Enter presses the focused button in both windows; F10 opens the menu bar.
scenario_wm_keyboard() {
  make_list "$TMP/list.dat"
  start_wm
  start_tavi
  local main ed dlg box
  main=$(wait_window "☆Sorvik")
  wait_active "$main"
  key "$main" F10
  xdotool key Down Return # ファイル操作 → 開く
  dlg=$(wait_dialog "$main")
  choose_file "$dlg" "$TMP/list.dat"
  wait_window "Sorvik($TMP/list.dat)" >/dev/null
  press_without_click "$main" $Q_MEMORISED
  xdotool key Return
  box=$(wait_window "移動")
  key "$box" Return # Yes
  wait_gone "移動"
  press_without_click "$main" $Q_SAVE
  xdotool key Return
  dlg=$(wait_dialog "$main")
  choose_file "$dlg" "$TMP/out.dat"
  wait_file "$TMP/out.dat"
  : >"$TMP/expected.dat"
  for i in 1 2 3 4 0; do printf 'q%d\r\n\x93\x9a%d\r\n' "$i" "$i" >>"$TMP/expected.dat"; done
  cmp "$TMP/out.dat" "$TMP/expected.dat" || fail "saved bytes differ"
  press_without_click "$main" $Q_EDIT
  xdotool key Return
  ed=$(wait_window "単語編集")
  wait_active "$ed"
  key "$ed" F10
  xdotool key Down Return # ファイル → 開く
  dlg=$(wait_dialog "$main" "$ed")
  choose_file "$dlg" "$TMP/list.dat"
  wait_active "$ed"
  press_without_click "$ed" $E_SAVE
  xdotool key Return
  dlg=$(wait_dialog "$main" "$ed")
  key "$dlg" Escape
  wait_active "$ed"
  xdotool windowactivate --sync "$main"
  click "$main" $Q_CLOSE
  wait_exit
}

# Two monitors, neither holding the designed places: the windows keep their offsets
# from the primary monitor's top left; the about box is centred by its frame on the
# monitor that shows the quiz window.
scenario_wm_two_monitors() {
  # After the window manager: Xvfb forgets the monitors when its last client leaves.
  start_wm
  xrandr --setmonitor LEFT 1024/271x768/203+0+256 screen >/dev/null
  xrandr --setmonitor RIGHT 1024/271x1024/271+1024+0 none >/dev/null
  xrandr --listmonitors | grep -q '2$' || fail "xrandr did not set two monitors: $(xrandr --listmonitors)"
  start_tavi
  local main ed about x y w h
  main=$(wait_window "☆Sorvik")
  [ "$(frame_geometry "$main" | cut -d' ' -f1-2)" = "166 361" ] || fail "quiz window framed at $(frame_geometry "$main")"
  click "$main" $Q_EDIT
  ed=$(wait_window "単語編集")
  [ "$(frame_geometry "$ed" | cut -d' ' -f1-2)" = "173 425" ] || fail "editor framed at $(frame_geometry "$ed")"
  screenshot two-monitors-places
  # The quiz window moved onto the right monitor: the box comes up there.
  xdotool windowmove --sync "$main" 1300 100
  click "$main" 111 10
  click "$main" 150 30
  about=$(wait_window "ﾊﾞｰｼﾞｮﾝ情報")
  read -r x y w h <<<"$(frame_geometry "$about")"
  [ "$x $y" = "$((1024 + (1024 - w) / 2)) $(((1024 - h) / 2))" ] || fail "about box framed at $x $y ${w}x$h"
  screenshot two-monitors-about-box
  click "$main" $Q_CLOSE
  wait_exit
}

# Installed use as a learner without root rights: the menu entry starts Tavi in a
# folder of the learner's own with a copy of the sample, which can be opened,
# drilled and saved; a start from a terminal in the home folder shows the help
# text without a report. The prefix is not the configured one.
scenario_installed_use() {
  command -v gio >/dev/null || skip "gio is not installed (scripts/install-deps installs libglib2.0-bin)"
  start_wm
  local user=tavi-e2e home=$TMP/home main dlg box pid ask
  if [ "$(id -u)" = 0 ]; then
    id -u "$user" >/dev/null 2>&1 || useradd -M -U -d /nonexistent -s /usr/sbin/nologin "$user" ||
      skip "cannot create the user $user"
    install -d -m 700 -o "$user" -g "$user" "$home" "$home/run"
    ask() { runuser -u "$user" -- "$@"; }
  else
    install -d -m 700 "$home" "$home/run"
    ask() { "$@"; }
  fi
  chmod 755 "$TMP"
  learner() {
    ask env -i DISPLAY="$DISPLAY" HOME="$home" XDG_RUNTIME_DIR="$home/run" LANG=C.UTF-8 \
      PATH="$PREFIX/bin:/usr/bin:/bin" XDG_DATA_DIRS="$PREFIX/share:/usr/share" "$@"
  }
  ask test ! -w "$WORK" || fail "the learner can write the installed folder"

  learner gio launch "$PREFIX/share/applications/tavi.desktop" >/dev/null 2>&1 &
  main=$(wait_window "☆Sorvik")
  TAVI_PID=$(xdotool getwindowpid "$main")
  local own=$home/.local/share/tavi
  cmp "$own/sample.dat" "$WORK/sample.dat" || fail "no copy of the sample in $own"
  click "$main" $Q_LOAD
  dlg=$(wait_dialog "$main")
  choose_file "$dlg" sample.dat # the dialog opens in the working folder
  wait_window "Sorvik($own/sample.dat)" >/dev/null
  click "$main" $Q_ANSWER1
  click "$main" $Q_NEXT
  click "$main" $Q_MEMORISED
  box=$(wait_window "移動")
  key "$box" Return
  wait_gone "移動"
  click "$main" $Q_SAVE
  dlg=$(wait_dialog "$main")
  focus "$dlg"
  xdotool key Return # the path of the list, preset
  box=$(wait_dialog "$main" "$dlg")
  key "$box" alt+y # replace it
  local i
  for ((i = 0; i < 200; i++)); do
    cmp -s "$own/sample.dat" "$WORK/sample.dat" || break
    sleep 0.05
  done
  xdotool search --onlyvisible --name '^Tavi$' >/dev/null 2>&1 && fail "an error report: $(xdotool search --onlyvisible --name '^Tavi$')"
  # The entry asked second went to the end.
  { head -n 2 "$WORK/sample.dat"; tail -n +5 "$WORK/sample.dat"; sed -n 3,4p "$WORK/sample.dat"; } >"$TMP/expected.dat"
  cmp "$own/sample.dat" "$TMP/expected.dat" || fail "the saved list differs"
  [ "$(stat -c %U "$own/sample.dat")" = "$(ask id -un)" ] || fail "the list is not the learner's"
  screenshot installed-use-saved
  click "$main" $Q_CLOSE
  for ((i = 0; i < 400; i++)); do kill -0 "$TAVI_PID" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$TAVI_PID" 2>/dev/null && fail "program still running"

  # From a terminal in the home folder: no report, the installed help text.
  learner sh -c 'cd "$HOME" && exec tavi' &
  TAVI_PID=$!
  main=$(wait_window "☆Sorvik")
  xdotool search --onlyvisible --name '^Tavi$' >/dev/null 2>&1 && fail "an error report at start-up"
  click "$main" 111 10 # menu お知らせ
  click "$main" 150 30 # バージョン情報
  wait_window "ﾊﾞｰｼﾞｮﾝ情報" >/dev/null
  screenshot installed-use-help-text
  xdotool windowactivate --sync "$main"
  click "$main" $Q_CLOSE
  for ((i = 0; i < 400; i++)); do kill -0 "$TAVI_PID" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$TAVI_PID" 2>/dev/null && fail "program still running"
  TAVI_PID=""
}

[ $# = 1 ] || fail "usage: e2e.sh SCENARIO"
declare -F "scenario_$1" >/dev/null || fail "no scenario $1"
[ "$1" = wm_two_monitors ] && XVFB_SCREEN=2048x1024x24 # room for two monitors
start_x
install_program
"scenario_$1"
echo "PASS: $1"
