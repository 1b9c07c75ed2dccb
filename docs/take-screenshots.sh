#!/usr/bin/env bash
# Takes the screenshots of the main window in docs/ under Xvfb, as a user would see it: the virtual device on a
# link in /tmp, its path typed into the port box, connected at 115200 baud, PING sent and answered, then the window
# dragged to three widths. Needs a build (build/src/app/trelvo, build/tools/trelvo-vdev), xvfb-run, xdotool and
# ImageMagick (apt-get install xvfb xdotool imagemagick). Run from the repository root:
#
#     xvfb-run -a -s "-screen 0 1300x820x24" bash docs/take-screenshots.sh
#
# Without a window manager the window has no frame, so a window "960 wide" (the design size, frame included) is
# taken as its 944-pixel client area, and so on for 1280 and 800.
set -euo pipefail
root="$PWD"
work="$(mktemp -d)"
trap 'kill $app $dev 2>/dev/null || true; rm -rf "$work"' EXIT
"$root/build/tools/trelvo-vdev" --link "$work/ttyV0" --reply 'PING=PONG\r\n' --reply '*=OK\r\n' &
dev=$!
(cd "$work" && exec "$root/build/src/app/trelvo") &
app=$!
# A first start in an empty directory tells of the new command library: answer that notice first.
box="$(xdotool search --sync --onlyvisible --name '^Trelvo$' | head -1)"
xdotool windowfocus --sync "$box"
xdotool key Return
sleep 1
win="$(xdotool search --sync --onlyvisible --name '^Trelvo$' | head -1)"
xdotool windowmove "$win" 0 0
sleep 1

# The port box (128 + 4, 2), Connect (0 + 4, 0), the command line (8 + 4, 459 + 6) in the client area.
xdotool mousemove --window "$win" 150 12 click 1
xdotool key --window "$win" ctrl+a
xdotool type --window "$win" "$work/ttyV0"
xdotool mousemove --window "$win" 230 12 click 1 # the baud rate box
sleep 0.5
xdotool key Home key Down key Down key Down key Down key Down key Down key Down key Return # 115200
xdotool mousemove --window "$win" 30 12 click 1
sleep 1
for line in PING 'AT+GMR' PING; do
    xdotool mousemove --window "$win" 300 474 click 1
    xdotool key --window "$win" ctrl+a
    xdotool type --window "$win" "$line"
    xdotool key --window "$win" Return
    sleep 0.3
done
xdotool mousemove --window "$win" 1200 790 # the pointer out of the way
for width in 960 1280 800; do
    xdotool windowsize "$win" $((width - 16)) 758
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$win")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$root/docs/main-window-$width.png"
done
