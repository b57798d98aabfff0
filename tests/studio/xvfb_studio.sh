#!/usr/bin/env bash
# Drives the studio on a virtual X server with the keyboard, as an engineer
# would, and checks what the window shows: a new screw speed changes the
# melting chart; an invalid text is named beside its entry and nothing
# crashes; a pinned case stays as faint curves; a 400-case map starts and is
# cancelled; a saved case file reopens with the same results.
# Usage: xvfb_studio.sh <tadmor-studio> [folder to keep the screenshots in]
set -euo pipefail

if [ -z "${TADMOR_XVFB_INSIDE:-}" ]; then
  export TADMOR_XVFB_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1400x900x24 -dpi 96" "$0" "$@"
fi

program=$(realpath "$1")
shots=${2:+$(realpath "$2")}
work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Starts the studio with --verbose; its status and outcome lines go to log.
start() {
  : > log
  "$program" --verbose "$@" 2> log &
  pid=$!
  wait_for_line 1 "^outcome: " > /dev/null
  window=$(xdotool search --onlyvisible --name "Tadmor Studio" | head -n1)
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
}

# Waits up to 20 s for the Nth line of the log that matches; prints it.
wait_for_line() {
  local line
  for _ in $(seq 200); do
    line=$(grep -E "$2" log | sed -n "$1p" || true)
    if [ -n "$line" ]; then echo "$line"; return 0; fi
    if ! kill -0 "$pid" 2>/dev/null; then echo "the studio ended" >&2; cat log >&2; return 1; fi
    sleep 0.1
  done
  echo "no line '$2' (number $1) in:" >&2
  cat log >&2
  return 1
}

count() { grep -cE "$1" log || true; }

# Waits until no outcome line has come for half a second; prints the last.
settle() {
  local before
  while :; do
    before=$(count "^outcome: ")
    sleep 0.5
    [ "$(count "^outcome: ")" = "$before" ] && break
  done
  grep "^outcome: " log | tail -n1
}

# Photographs the melting chart (its place from the newest log line) into $1.
photograph_chart() {
  local geometry
  geometry=$(grep "^melting chart: " log | tail -n1 | cut -d' ' -f3-)
  read -r X Y W H <<< "$geometry"
  sleep 0.4  # let it paint
  import -window root screen.png
  convert screen.png -crop "${W}x${H}+${X}+${Y}" +repage "$1"
  if [ -n "$shots" ]; then cp screen.png "$shots/${1%.png}-screen.png"; fi
}

differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 || true; }

# Types $1 into the focused entry, in place of its text.
retype() { xdotool key --delay 40 ctrl+a && xdotool type --delay 40 "$1"; }

start
photograph_chart before.png

# The screw speed: the ninth entry after the screw diameter, which has the focus.
xdotool key --delay 40 $(printf 'Tab %.0s' $(seq 9))
retype 45
settle > /dev/null
photograph_chart speed45.png
changed=$(differing_pixels before.png speed45.png)
echo "a new screw speed changed $changed pixels of the melting chart"
[ "$changed" -gt 2000 ] || fail "a new screw speed changed only $changed pixels of the melting chart"

# An invalid text: named beside the entry, in red, and the window lives on.
retype 4x5
line=$(settle)
case "$line" in
  *"Screw speed: not a number"*) ;;
  *) fail "the invalid speed gave: $line" ;;
esac
sleep 0.4
import -window root invalid.png
[ -n "$shots" ] && cp invalid.png "$shots/invalid.png"
eval "$(grep '^melting chart: ' log | tail -n1 | awk '{print "chart_x=" $3}')"
red=$(convert invalid.png -crop "${chart_x}x900+0+0" +repage \
  -fx 'r > 0.6 && g < 0.35 && b < 0.35' -format "%[fx:int(mean*w*h+0.5)]" info:)
echo "$red red pixels of the message beside the entry"
[ "$red" -gt 40 ] || fail "no message in red beside the entry ($red red pixels left of the charts)"
kill -0 "$pid" || fail "the studio ended on an invalid text"

# Pin the case at 45 rpm; at 60 rpm its curves stay, faint.
retype 45
settle > /dev/null
xdotool key ctrl+shift+p
wait_for_line 1 "^status: Pinned cases: 1" > /dev/null
retype 60
settle > /dev/null
photograph_chart pinned.png
# Cleared (Case menu), the chart at 60 rpm differs only by the faint curves.
xdotool key --delay 150 alt+c c
wait_for_line 1 "^status: Pinned cases: 0" > /dev/null
photograph_chart unpinned.png
faint=$(differing_pixels pinned.png unpinned.png)
echo "the pinned case's faint curves: $faint pixels"
[ "$faint" -gt 1500 ] || fail "the pinned case's curves changed only $faint pixels"

# A 400-case map, started and cancelled.
xdotool key --delay 100 ctrl+shift+m Escape
wait_for_line 1 "^status: Map: 400 cases started" > /dev/null
line=$(wait_for_line 1 "^status: Map: (cancelled after [0-9]+ of 400 cases|400 cases in)")
echo "${line#status: }"
case "$line" in
  *"cancelled after"*) ;;
  *) fail "the map was not cancelled: $line" ;;
esac
sleep 0.3
import -window root map.png
[ -n "$shots" ] && cp map.png "$shots/map-cancelled.png"

# Save the case through the file dialog, quit, reopen it: the same results.
retype 52.5
saved_outcome=$(settle)
xdotool key ctrl+shift+s
sleep 1.5
xdotool type --delay 20 "$work/mine.case"
xdotool key Return
wait_for_line 1 "^status: Saved " > /dev/null
# Without a window manager the focus does not return from a closed dialog.
xdotool windowfocus --sync "$window"
xdotool key ctrl+q
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  fail "Ctrl+Q did not end the studio"
  kill "$pid"
fi
grep -q "^ScrewSpeed = 52.5$" mine.case || fail "the saved case has no ScrewSpeed = 52.5: $(head -c 400 mine.case)"
start "$work/mine.case"
wait_for_line 1 "^status: Opened " > /dev/null
reopened=$(settle)
[ "$reopened" = "$saved_outcome" ] || fail "reopened: '$reopened', saved: '$saved_outcome'"
xdotool key ctrl+q
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  fail "Ctrl+Q did not end the reopened studio"
  import -window root stuck.png
  [ -n "$shots" ] && cp stuck.png "$shots/stuck.png"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures checks failed"
  exit 1
fi
echo "the studio passed every check on the virtual X server"
