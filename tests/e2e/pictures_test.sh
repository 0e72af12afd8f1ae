#!/usr/bin/env bash
# Pictures and the desktop snapshot with the real program: xclip offers PNG pictures, the
# "Desktop-Screenshot" button grabs the screen; the stored bitmaps are compared pixel by pixel.
. "$(dirname "$0")/lib.sh" "$@"

start_app
eval "$(xdotool getwindowgeometry --shell "$win")"
area="${WIDTH}x${HEIGHT}+${X}+${Y}"
mask=(-fill black -draw "rectangle $X,$Y $((X + WIDTH - 1)),$((Y + HEIGHT - 1))")

# A desktop with something on it, so that a snapshot has content to compare. It is set
# while the program is connected: Xvfb resets the root window when its last client leaves.
# display ends with status 1 after setting the root window's picture; whether the desktop
# took it is checked right after.
convert -seed 1 -size 1280x1024 plasma:fractal -depth 8 "$E2E_DIR/desktop.png"
display -window root "$E2E_DIR/desktop.png" || true
import -window root "$E2E_DIR/bare.png"
convert "$E2E_DIR/bare.png" "${mask[@]}" "$E2E_DIR/bare-masked.png"
convert "$E2E_DIR/desktop.png" "${mask[@]}" "$E2E_DIR/desktop-masked.png"
[ "$(differing "$E2E_DIR/desktop-masked.png" "$E2E_DIR/bare-masked.png")" = 0 ] || fail "the desktop did not take its picture"

# Offers a file as a picture and waits until the program has stored it and emptied the
# clipboard, upon which xclip, no longer owner, ends.
offer_picture() {
    clip_file "$1" image/png
    wait_until 10 ended "$BG_PID" || fail "picture $1 was not taken from the clipboard"
}

# START: the caption begins to blink.
start_monitoring

# An opaque picture of odd width: stored as 00.bmp with the very same pixels.
convert -seed 2 -size 317x203 plasma:fractal -depth 8 -alpha off "$E2E_DIR/opaque.png"
offer_picture "$E2E_DIR/opaque.png"
[ "$(differing "$E2E_DIR/opaque.png" "$files/00.bmp")" = 0 ] || fail "00.bmp differs from the source"
! xclip -selection clipboard -o -t image/png >/dev/null 2>&1 || fail "the clipboard still holds the picture"

# Transparent and half-transparent pixels come out laid on white.
convert -size 120x80 xc:none -fill 'rgba(255,0,0,0.5)' -draw 'rectangle 10,10 70,60' \
    -fill blue -draw 'circle 90,40 90,20' -depth 8 "$E2E_DIR/alpha.png"
convert "$E2E_DIR/alpha.png" -background white -flatten -alpha off "$E2E_DIR/alpha-on-white.png"
offer_picture "$E2E_DIR/alpha.png"
[ "$(differing "$E2E_DIR/alpha-on-white.png" "$files/01.bmp" 1%)" = 0 ] || fail "01.bmp is not the picture on white"

# The snapshot button: the window hides, the screen lands on the clipboard and is stored as
# scr02.bmp, and the window comes back.
click_screenshot "$win"
shot="$files/scr02.bmp"
wait_until 10 grown "$shot" $((54 + 1280 * 3 * 1024)) || fail "no complete scr02.bmp"
wait_until 5 visible "$win" || fail "window not shown again"
import -window root "$E2E_DIR/after.png"
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$area" = "${WIDTH}x${HEIGHT}+${X}+${Y}" ] || fail "window moved from $area"
# Apart from the main window, the snapshot is the screen as it is now...
convert "$shot" "${mask[@]}" "$E2E_DIR/shot-masked.png"
convert "$E2E_DIR/after.png" "${mask[@]}" "$E2E_DIR/after-masked.png"
[ "$(differing "$E2E_DIR/shot-masked.png" "$E2E_DIR/after-masked.png")" = 0 ] ||
    fail "snapshot differs from the screen within $(convert "$E2E_DIR/shot-masked.png" "$E2E_DIR/after-masked.png" \
        -compose difference -composite -threshold 0 -format '%@' info:)"
# ...and where the window is, it shows the desktop: the window was hidden when it was taken.
convert "$shot" -crop "$area" +repage "$E2E_DIR/shot-window.png"
convert "$E2E_DIR/desktop.png" -crop "$area" +repage "$E2E_DIR/desktop-window.png"
[ "$(differing "$E2E_DIR/shot-window.png" "$E2E_DIR/desktop-window.png")" = 0 ] || fail "the main window is in the snapshot"

[ "$(ls "$files")" = "$(printf '00.bmp\n01.bmp\nscr02.bmp')" ] || fail "unexpected files: $(ls "$files")"

# Pictures offered back to back, each the moment the one before has been taken: each is
# stored exactly once, although the next owner may already hold the clipboard when the
# program clears it.
for i in $(seq 1 12); do
    clip_file "$E2E_DIR/opaque.png" image/png
    for _ in $(seq 1 5000); do
        ended "$BG_PID" && break
        sleep 0.002
    done
done
sleep 1
n=$(ls "$files" | wc -l)
[ "$n" = 15 ] || fail "12 pictures back to back gave $((n - 3)) files"
pass "pictures stored as 24-bit bitmaps equal to their source, snapshot without the window"
