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

scenario_drill() {
  make_list "$TMP/list.dat"
  start_tavi
  local main dlg box
  main=$(wait_window "☆Sorvik")
  click "$main" $Q_LOAD
  dlg=$(wait_dialog "$main")
  choose_file "$dlg" "$TMP/list.dat"
  wait_window "Sorvik($TMP/list.dat)" >/dev/null
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
  click "$main" $Q_EDIT
  ed=$(wait_window "単語編集")
  click "$ed" 25 10 # menu ファイル
  click "$ed" 40 28 # 開く
  dlg=$(wait_dialog "$main" "$ed")
  choose_file "$dlg" "$TMP/list.dat"
  wait_window "Sorvik($TMP/list.dat)" >/dev/null
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
  click "$main" $Q_LOAD
  dlg=$(wait_dialog "$main")
  choose_file "$dlg" "$TMP/big.dat"
  wait_window "Sorvik($TMP/big.dat)" >/dev/null
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

  click "$main" $Q_EDIT
  ed=$(wait_window "単語編集")
  click "$ed" 25 10 # menu ファイル
  click "$ed" 40 28 # 開く
  dlg=$(wait_dialog "$main" "$ed")
  choose_file "$dlg" "$TMP/list.dat"
  wait_window "Sorvik($TMP/list.dat)" >/dev/null
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

# "gjpqy" as the answer shown in red: its descenders are drawn whole, below the
# label's designed 16 pixels, where the taller substituted font used to lose them.
scenario_descenders() {
  local i
  : >"$TMP/gjpqy.dat"
  for i in 0 1 2 3 4; do printf 'gjpqy\r\ngjpqy\r\n' >>"$TMP/gjpqy.dat"; done
  start_tavi
  local main dlg top bottom
  main=$(wait_window "☆Sorvik")
  click "$main" $Q_LOAD
  dlg=$(wait_dialog "$main")
  choose_file "$dlg" "$TMP/gjpqy.dat"
  wait_window "Sorvik($TMP/gjpqy.dat)" >/dev/null
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

[ $# = 1 ] || fail "usage: e2e.sh SCENARIO"
declare -F "scenario_$1" >/dev/null || fail "no scenario $1"
start_x
install_program
"scenario_$1"
echo "PASS: $1"
