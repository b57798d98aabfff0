#!/usr/bin/env bash
# Runs the program on a virtual X server at 96 dots per inch and checks what a
# user would see: the main window's size, place and bevel pixels, a default
# request through the Enter key, the completion dialog, and Alt+C ending the
# program. Usage: xvfb_check.sh <tadmor-gui> [folder to keep the screenshots in]
set -euo pipefail

if [ -z "${TADMOR_XVFB_INSIDE:-}" ]; then
  export TADMOR_XVFB_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" "$@"
fi

program=$(realpath "$1")
shots=${2:+$(realpath "$2")}
work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expect_equal() {  # what, actual, expected
  if [ "$2" != "$3" ]; then fail "$1: $2, expected $3"; fi
}

# Waits for a visible window with exactly this title; prints its id.
find_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  echo "no window '$1'" >&2
  return 1
}

# Photographs window $1 into file $2 and checks its size and that it is
# centred on the 1024 x 768 screen.
photograph() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  expect_equal "$2 size" "${WIDTH}x${HEIGHT}" "$3"
  expect_equal "$2 place" "$X,$Y" "$(( (1024 - WIDTH) / 2 )),$(( (768 - HEIGHT) / 2 ))"
  sleep 0.3  # let it paint
  import -window root screen.png
  convert screen.png -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}

pixel() {  # file x y -> "r,g,b"
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# Counts the pixels of a colour family in a rectangle: file geometry fx-test.
count_pixels() {
  convert "$1" -crop "$2" +repage -fx "$3" -format "%[fx:int(mean*w*h+0.5)]" info:
}

"$program" &
pid=$!
main=$(find_window "Tadmor Model Simulation")
photograph "$main" main-window.png 690x486

light=255,255,255
dark=159,159,159
# Panel1 at (28, 41), 309 x 18; Panel29 at (17, 342), 247 x 117.
for check in "28 41 $light" "29 42 $dark" "336 41 $dark" "335 57 $light" "28 58 $dark" \
             "17 342 $light" "18 343 $light" "19 344 $dark" "20 345 $dark" \
             "263 400 $dark" "261 400 $light"; do
  read -r x y colour <<<"$check"
  expect_equal "main window pixel ($x, $y)" "$(pixel main-window.png "$x" "$y")" "$colour"
done
[ "$(count_pixels main-window.png 200x14+30+43 'b>0.7&&r<0.5&&g<0.5')" -gt 50 ] ||
  fail "Panel1's caption is not blue"
[ "$(count_pixels main-window.png 90x16+26+21 'r>0.7&&g<0.4&&b<0.4')" -gt 50 ] ||
  fail "GroupBox1's caption is not red"
[ "$(count_pixels main-window.png 239x109+21+346 'g>0.5&&r<0.3&&b<0.3')" -gt 20 ] ||
  fail "no green arrow in the picture"
[ "$(count_pixels main-window.png 239x109+21+346 'r>0.9&&g>0.75&&b<0.3')" -gt 20 ] ||
  fail "no yellow arrow in the picture"

# Enter in Edit1 runs the default request; the completion dialog follows.
xdotool windowfocus "$main" key Return
finish=$(find_window FinishForm)
photograph "$finish" finish-dialog.png 351x230
[ "$(count_pixels finish-dialog.png 317x53+17+28 'b>0.7&&r<0.5&&g<0.5')" -gt 100 ] ||
  fail "the completion text is not blue"
xdotool windowfocus "$finish" key Return
sleep 0.5
[ -z "$(xdotool search --onlyvisible --name '^FinishForm$' 2>/dev/null || true)" ] ||
  fail "Enter did not close the completion dialog"
[ -s result.txt ] || fail "no result.txt in the folder the program started in"

# A text that is no number: a message box, centred, with one OK button.
xdotool windowfocus "$main" type "x"
xdotool key Return
sleep 0.5
box=$(xdotool search --onlyvisible --name '^Tadmor Model Simulation$' | grep -vx "$main" | head -n1 || true)
if [ -z "$box" ]; then
  fail "no message box for a text that is no number"
else
  photograph "$box" message-box.png "$(xdotool getwindowgeometry --shell "$box" | awk -F= '/WIDTH/ {w=$2} /HEIGHT/ {h=$2} END {print w "x" h}')"
  xdotool windowfocus "$box" key Return
  sleep 0.3
fi

if [ -n "$shots" ]; then
  cp main-window.png finish-dialog.png "$shots"/
fi

# Alt+C closes the window and ends the program.
xdotool windowfocus "$main" key alt+c
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  fail "Alt+C did not end the program"
else
  wait "$pid" || fail "the program ended with status $?"
fi

[ "$failures" -eq 0 ] && echo "all checks passed"
exit $((failures > 0))
