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

[ $# = 1 ] || fail "usage: e2e.sh SCENARIO"
declare -F "scenario_$1" >/dev/null || fail "no scenario $1"
start_x
install_program
"scenario_$1"
echo "PASS: $1"
