#!/usr/bin/env bash
# Drives the real program on an X display the way a user would, with real X events: opens an
# address file, moves through rows, changes a position and the sender block in 文字設定,
# prints rows 2 to 6 and quits. Run it under xvfb-run; it leaves no process behind.
#
#   CUPS_SERVER=SOCKET [WALK_WM=openbox] walkthrough.sh WORKDIR SHOTDIR
#
# With WALK_WM the walk runs under that window manager, and the main window's frame must have
# the window's outer size, centred on the screen.
# WORKDIR holds a copy of rinova and addresses.csv; screenshots go to SHOTDIR. The program
# prints to the default queue of the print scheduler at SOCKET, one of the test's own
# (scripts/cups-private.sh), never to the machine's. Prints "walk: ..." lines and exits
# non-zero on the first step that does not happen.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
work=$1
shots=$2
if [ ! -S "${CUPS_SERVER:-}" ]; then
  echo "walk: FAILED: CUPS_SERVER must name the socket of a print scheduler of the test's own" >&2
  exit 1
fi
mkdir -p "$shots"
cd "$work"

start=$SECONDS
log() { echo "walk: [$((SECONDS - start))s] $*"; }
walk=walk
source "$here/x_walk_steps.sh"
shot() { import -window root "$shots/$1.png" || fail "screenshot $1"; }
# Lets a repaint land before a screenshot: waits until the screen stops changing, however
# slow the machine is (at least 0.2 s, at most 10 s).
screen_hash() { xwd -root -silent | md5sum; }
settle() {
  sleep 0.2
  local last now
  last=$(screen_hash)
  for _ in $(seq 1 50); do
    sleep 0.15
    now=$(screen_hash)
    [ "$now" = "$last" ] && return 0
    last=$now
  done
}

click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
# Menus are windows of their own: a menu is open once the program shows one more window.
visible_windows() { { xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true; } | wc -l; }
await_menu() {
  for _ in $(seq 1 200); do
    [ "$(visible_windows)" -gt "$1" ] && return 0
    sleep 0.05
  done
  fail "the menu did not open"
}

wm=
if [ -n "${WALK_WM:-}" ]; then
  "$WALK_WM" >wm.log 2>&1 &
  wm=$!
  for _ in $(seq 1 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
  done
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" ||
    fail "$WALK_WM did not start: $(cat wm.log)"
fi
QT_QPA_PLATFORM=xcb ./rinova >rinova.log 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; [ -z "$wm" ] || kill "$wm" 2>/dev/null || true' EXIT

main=$(await_window "Rinova Ver1.2")
xdotool windowfocus --sync "$main"
settle

# Under a window manager: the frame is the window's outer size (742 x 484), centred.
if [ -n "$wm" ]; then
  read -r fl fr ft fb < <(xprop -id "$main" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
  info=$(xwininfo -id "$main")
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  w=$(sed -n 's/.*Width: *//p' <<<"$info")
  h=$(sed -n 's/.*Height: *//p' <<<"$info")
  root=$(xwininfo -root)
  sw=$(sed -n 's/.*Width: *//p' <<<"$root")
  sh=$(sed -n 's/.*Height: *//p' <<<"$root")
  ow=$((w + fl + fr)) oh=$((h + ft + fb)) ox=$((x - fl)) oy=$((y - ft))
  log "frame ${ow}x${oh} at ${ox},${oy} on ${sw}x${sh}"
  [ "$ow" -eq 742 ] && [ "$oh" -eq 484 ] || fail "the frame is ${ow}x${oh}, not 742x484"
  [ "$ox" -eq $((sw / 2 - ow / 2)) ] && [ "$oy" -eq $((sh / 2 - oh / 2)) ] ||
    fail "the frame at ${ox},${oy} is not centred on ${sw}x${sh}"
fi
# The start-up font check speaks only when a face is missing: a box captioned "Rinova".
if xdotool search --onlyvisible --name "^Rinova\$" >/dev/null 2>&1; then
  shot 00-startup-warning
  fail "a start-up message box appeared (see 00-startup-warning.png)"
fi
shot 01-start
log "main window up"

# File → 開く, type the file's name in the dialog (it opens in the program's folder).
before=$(visible_windows)
xdotool key alt+f
await_menu "$before"
xdotool key o
dialog=$(await_window "開く")
xdotool windowfocus --sync "$dialog"
xdotool type --delay 15 "addresses.csv"
xdotool key Return
await_gone "開く"
settle
shot 02-opened
log "address file opened"

# Rows: 1 is current after the import; two Down keys reach row 3, a click reaches row 5.
# Row k of the grid is centred 54 + 24 (k - 1) pixels below the window's top.
xdotool windowfocus --sync "$main"
xdotool key Down Down
settle
shot 03-row3
click "$main" 62 150
settle
shot 04-row5
log "moved through rows"

# 設定 → 文字設定 with the mouse (the menu has no mnemonic).
before=$(visible_windows)
click "$main" 91 8
await_menu "$before"
click "$main" 130 47
settings=$(await_window "文字設定")
xdotool windowfocus --sync "$settings"
settle
shot 05-settings
log "文字設定 open"

# 左右 of 住所1: select the field's text and type 25.
click "$settings" 128 54
xdotool key ctrl+a
xdotool type --delay 40 "25"
await_key Edit1Value0 25
# 上下 of 住所1: three clicks on its up button.
for i in 1 2 3; do
  click "$settings" 224 49
  await_key Edit2Value0 "$i"
done
log "position changed"

# Sender block: postal code, names (the second one typed in Japanese), then the box and the
# card type, whose redraws show the texts typed before them.
click "$settings" 69 234
xdotool type --delay 30 "100"
click "$settings" 125 234
xdotool type --delay 30 "0001"
click "$settings" 100 330
xdotool type --delay 30 "Rinova Taro"
click "$settings" 100 362
xdotool type --delay 60 "見本花子"
# The window keeps these choices until it closes, so there is no file to wait on: on a busy
# machine clicks that followed the typing at once were lost, so each waits for the screen to rest.
settle
click "$settings" 45 192
settle
click "$settings" 188 218
settle
shot 06-settings-changed
log "sender block filled"

click "$settings" 172 444
await_gone "文字設定"
await_key CardType 1
settle
shot 07-settings-closed
log "文字設定 closed"

# Rows 2 to 6: a click on row 2, a click with Shift on row 6.
click "$main" 62 78
xdotool keydown shift
click "$main" 62 174
xdotool keyup shift
settle
shot 08-selected
log "rows 2-6 selected"

# File → 印刷［選択範囲］, はい, then the print dialog's default button.
xdotool windowfocus --sync "$main"
before=$(visible_windows)
xdotool key alt+f
await_menu "$before"
xdotool key p
question=$(await_window "確認")
settle
shot 09-confirm
xdotool windowfocus --sync "$question"
xdotool key Return
await_gone "確認"
printdlg=$(await_window "印刷")
settle
shot 10-print-dialog
xdotool windowfocus --sync "$printdlg"
xdotool key Return
await_gone "印刷"
settle
shot 11-printed
log "printed"

# File → 終了, and the program ends by itself.
xdotool windowfocus --sync "$main"
before=$(visible_windows)
xdotool key alt+f
await_menu "$before"
xdotool key x
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "rinova still runs after File → 終了"
set +e
wait "$pid"
code=$?
set -e
trap - EXIT
[ "$code" -eq 0 ] || fail "rinova ended with exit code $code: $(cat rinova.log)"
log "quit, exit code 0"
