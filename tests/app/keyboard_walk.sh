#!/usr/bin/env bash
# Drives 文字設定 of the real program from the keyboard alone, with real X events: Backspace in
# both completing lists, then two whole Tab cycles that act at every stop, so the settings file
# it leaves tells which control had each key. Run it under xvfb-run.
#
#   keyboard_walk.sh WORKDIR SHOTDIR
#
# WORKDIR holds a copy of rinova (and no rinova.ini). Prints "keys: ..." lines and exits non-zero
# at the first step that does not happen.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
walk=keys
source "$here/x_walk_steps.sh"
walk_in "$1" "$2"
type_text() { xdotool type --delay 80 "$1"; }

trap 'kill "$pid" 2>/dev/null || true' EXIT
start_without_printers
main=$(await_window "Rinova Ver1.2")
log "main window up"

# 設定 → 文字設定 with the mouse (the menu has no mnemonic).
xdotool mousemove --window "$main" 91 8 click 1
sleep 0.5
xdotool mousemove --window "$main" 130 47 click 1
form=$(await_window "文字設定")
xdotool windowfocus --sync "$form"
sleep 0.3
import -window root "$shots/01-settings.png"
log "文字設定 open"

# The window opens on the element selector. 名 completes to 名前; Backspace chooses nothing, so
# 左右 then stores nothing. Back at the selector, 住 chooses 住所1, whose 左右 goes back from 1
# to 0 and is written: the Up key did reach 左右.
key ctrl+a
type_text "名"
key BackSpace Tab Up shift+Tab ctrl+a
type_text "住"
await_key Edit1Value0 0
ini | grep -q '^Edit1Value2=' && fail "左右 stored Edit1Value2 after Backspace"
log "Backspace in the element selector chooses nothing"

# First cycle: sixteen stops.
for _ in $(seq 1 16); do key Tab; done
# Second cycle, acting at every stop: 名前 and its three offsets, @hg and Backspace in the font
# list, the next way of setting numbers, past 閉じる, the check box, the seven sender fields,
# then 官製はがき.
key ctrl+a
type_text "名"
key Tab Up
await_key Edit1Value2 1
key Tab Up
await_key Edit2Value2 1
key Tab Up
await_key Edit3Value2 1
key Tab ctrl+a
type_text "@hg"
key BackSpace Tab Down
await_key Numbers 1
key Tab Tab space
for n in 1 2 3 4 5 6 7; do
  key Tab
  type_text "$n"
done
key Tab Down
import -window root "$shots/02-second-cycle.png"
# Back into the card type from the selector: the checked 官製はがき has the focus, so Space
# keeps it. Then 備考 is typed over, and forward again into the card type.
key Tab shift+Tab space shift+Tab
type_text "8"
key Tab Tab
log "two cycles done"
# From the selector, the sixth stop is 閉じる.
key Tab Tab Tab Tab Tab Tab space
await_gone "文字設定"
await_key CardType 1
log "文字設定 closed"

# File → 終了.
xdotool windowfocus --sync "$main"
key alt+f
sleep 0.5
key x
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "rinova still runs after File → 終了"
trap - EXIT
wait "$pid" || fail "rinova ended with an error: $(cat rinova.log)"
log "quit"
