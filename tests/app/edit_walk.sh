#!/usr/bin/env bash
# Edits an address list in the real program with real X events: a row in the edit dialog (Tab
# between fields, Escape leaving a row as it was), a row added, a row deleted and the delete
# undone, Ctrl+S; then an edit left unsaved, the program killed (SIGKILL), and the work taken
# back at the next start and saved. Run it under xvfb-run.
#
#   edit_walk.sh WORKDIR SHOTDIR
#
# WORKDIR holds a copy of rinova and addresses.csv. Prints "edit: ..." lines and exits non-zero
# at the first step that does not happen; the test reads the file it leaves.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
walk=edit
source "$here/x_walk_steps.sh"
walk_in "$1" "$2"
type_text() { xdotool type --delay 40 "$1"; }

trap 'kill -9 "$pid" 2>/dev/null || true' EXIT
# Opens the dialog on the current row (Return or F2), or on a new row, and waits for it.
dialog() {
  key "$1"
  local d
  d=$(await_window "行の編集")
  xdotool windowfocus --sync "$d"
  sleep 0.2
}

start_without_printers addresses.csv
main=$(await_window "Rinova Ver1.2 - addresses.csv")
xdotool windowfocus --sync "$main"
log "list opened"

# Row 1: name 1 replaced, Tab to name 2, Return keeps the row.
dialog Return
key ctrl+a
type_text "Edited"
key Tab ctrl+a
type_text "Second"
key Return
await_window "Rinova Ver1.2 - addresses.csv \*" >/dev/null
log "row 1 edited"

# Row 2 through F2, typed over and left with Escape: nothing changes.
xdotool windowfocus --sync "$main"
key Down
dialog F2
key ctrl+a
type_text "Dropped"
key Escape
await_gone "行の編集"
log "escape left row 2 alone"

# A row added at the end (Ctrl+Return): names and postal code.
xdotool windowfocus --sync "$main"
dialog ctrl+Return
type_text "Added"
key Tab
type_text "Partner"
key Tab Tab Tab Tab
type_text "1000001"
key Return
await_gone "行の編集"
log "row added"

# Row 3 deleted, the delete undone, then row 4 deleted.
xdotool windowfocus --sync "$main"
key ctrl+Home Down Down Delete
sleep 0.3
key ctrl+z
sleep 0.3
key Down Delete
sleep 0.3
import -window root "$shots/edited.png"
key ctrl+s
await_window "Rinova Ver1.2 - addresses.csv" >/dev/null
log "saved"

# An edit left unsaved survives a kill.
dialog Return
key End
type_text " Kept"
key Return
await_window "Rinova Ver1.2 - addresses.csv \*" >/dev/null
for _ in $(seq 1 50); do
  [ -s rinova.recovery ] && break
  sleep 0.1
done
[ -s rinova.recovery ] || fail "no recovery copy was written"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
log "killed mid-edit"

start_without_printers
box=$(await_window "確認")
xdotool windowfocus --sync "$box"
import -window root "$shots/recovery-offer.png"
key Return
main=$(await_window "Rinova Ver1.2 - addresses.csv \*")
xdotool windowfocus --sync "$main"
key ctrl+s
await_window "Rinova Ver1.2 - addresses.csv" >/dev/null
[ ! -e rinova.recovery ] || fail "the recovery copy outlived the save"
log "recovered and saved"

# Nothing unsaved: quitting asks nothing.
key alt+f
sleep 0.3
key x
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not quit"
log "quit"
