# Steps shared by the scripts that drive the real program with real X events. Sourced after
# setting `walk` (the prefix of every line: "walk", "keys", "edit"); `shots` (where a failure's
# screenshot goes) is set before or by walk_in, and the steps run in the folder holding the
# program's rinova.ini.

# A step's line, unless the script keeps a log of its own; a key press as a person types it.
declare -F log >/dev/null || log() { echo "$walk: $*"; }
key() { xdotool key --delay 60 "$@"; }
fail() {
  echo "$walk: FAILED: $*" >&2
  import -window root "$shots/failure.png" 2>/dev/null || true
  exit 1
}
# The id of a visible window with exactly this title, once it is there (within $2 s, default 20).
await_window() {
  local id
  id=$(timeout "${2:-20}" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1) ||
    true
  [ -n "$id" ] || fail "no window \"$1\" appeared"
  echo "$id"
}
await_gone() {
  for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "window \"$1\" did not close"
}
# Goes into the walk's folder (WORKDIR, holding the program) and makes its screenshot folder:
#   walk_in WORKDIR SHOTDIR
walk_in() {
  shots=$2
  mkdir -p "$shots"
  cd "$1"
}
# Starts the program there with no print system, its output added to rinova.log, and takes the
# one box in which start-up reports the missing default printer; sets pid.
start_without_printers() {
  QT_QPA_PLATFORM=xcb CUPS_SERVER="/nonexistent/rinova-$walk.sock" ./rinova "$@" >>rinova.log 2>&1 &
  pid=$!
  local box
  box=$(await_window "Rinova")
  xdotool windowfocus --sync "$box"
  key Return
}
# The settings file's lines without their CR.
ini() { tr -d '\r' <rinova.ini 2>/dev/null || true; }
# Waits until the settings file holds the line KEY=VALUE.
await_key() {
  for _ in $(seq 1 100); do
    ini | grep -xF -- "$1=$2" >/dev/null && return 0
    sleep 0.1
  done
  fail "rinova.ini never held $1=$2 (it holds: $(ini | tr '\n' ' '))"
}

# In a sanitizer build: the keyboard library that Qt's X platform loads copies a name with
# strndup from a buffer that ends where the name ends, which the strict string check reports;
# and the X platform's system libraries keep a few blocks to the end (lsan-xcb.supp).
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
  export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "${BASH_SOURCE[0]}")/lsan-xcb.supp"
fi
