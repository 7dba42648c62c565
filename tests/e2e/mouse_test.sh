# The mouse, as a teacher would use it: drag a light while the vehicles
# run and while they are paused, pan by dragging empty space, zoom with
# the wheel about the pointer, bring fled vehicles back with Home, and
# show the key panel with '?'.  Every place is checked in an EPS picture,
# whose page coordinates are the window's pixels with y pointing up.
. "$(dirname "$0")/common.sh"

command -v gs >/dev/null || fail "gs (Ghostscript) is not installed"

mouse() {  # xdotool commands; motion relative to the window
    xdotool "$@" 2>>"$XT_TMP/xdotool.log" || fail "xdotool $*"
}
move() { mouse mousemove --window "$XT_WIN" "$1" "$2"; }
# drag X0 Y0 X1 Y1: button 1 from one pixel to the other in ten steps.
drag() {
    move "$1" "$2"
    mouse mousedown 1
    local i
    for i in $(seq 10); do
        move $(($1 + ($3 - $1) * i / 10)) $(($2 + ($4 - $2) * i / 10))
    done
    mouse mouseup 1
}

# picture NAME: presses 'o' and waits for the file to be announced.
picture() {
    : >"$XT_STDERR"
    xt_key o
    for _ in $(seq 50); do
        grep -qxF "EPS written to \`$1'" "$XT_STDERR" && [ -s "$XT_TMP/$1" ] \
            && tail -n1 "$XT_TMP/$1" | grep -qxF '%%EOF' && return 0
        sleep 0.1
    done
    fail "no picture $1"
}

# lights FILE: "x y radius" of every light, in world order.
lights() {
    awk '/^% Body/ { want = 1 } /^% Vehicle/ { want = 0 }
         want && / arc stroke$/ { print $2, $3, $4; want = 0 }' "$XT_TMP/$1"
}
# light_is FILE N X Y R: the Nth light is drawn at (X, Y) with radius R,
# to the printed precision.
light_is() {
    lights "$1" | awk -v n="$2" -v x="$3" -v y="$4" -v r="$5" '
        NR == n { found = 1
                  d = ($1 - x) ^ 2 + ($2 - y) ^ 2 + ($3 - r) ^ 2
                  exit !(d < 1e-4) }
        END { if (!found) exit 1 }' \
        || fail "light $2 of $1 is not at ($3, $4) radius $5: $(lights "$1" | tr '\n' ';')"
}
# vehicle_part FILE: the vehicle sections, trails and all.
vehicle_part() {
    awk '/^% Vehicle/ { on = 1 } /^% Body/ { on = 0 } on' "$XT_TMP/$1"
}
# outside FILE: how many vehicles have a corner outside the 640 x 520 page.
outside() {
    awk '/^% / { if (bad) n++; bad = 0; v = /^% Vehicle/ }
         v && / closepath stroke$/ {
             for (i = 1; i + 1 <= NF; i++)
                 if ($(i + 1) == "moveto" || $(i + 1) == "lineto") {
                     if ($(i - 1) < 0 || $(i - 1) > 640 || $i < 0 || $i > 520) bad = 1
                 } }
         END { if (bad) n++; print n + 0 }' "$XT_TMP/$1"
}
# colour_in FILE COLOUR WxH+X+Y: pixels of that colour in a part of an image.
colour_in() {
    convert "$1" -crop "$3" +repage -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:round(mean*w*h)]' info:
}
# wait_for COLOUR WxH+X+Y MIN MAX WHAT: polls screenshots (up to 30 s)
# until that part of the window has between MIN and MAX pixels of COLOUR.
wait_for() {
    local n i
    for i in $(seq 60); do
        xt_screenshot "$XT_TMP/shot.png"
        n=$(colour_in "$XT_TMP/shot.png" "$1" "$2")
        [ "$n" -ge "$3" ] && [ "$n" -le "$4" ] && return 0
        sleep 0.5
    done
    fail "$5: $n pixels of $1 in $2"
}

# 1. While the vehicles run, the light l2a, at pixel (70, 260), is dragged
# to pixel (170, 60): 100 right and 200 up in the world.  'r' then moves
# the vehicles but not the light.
xt_start -o 'pic%d.eps' v2a v3b l2a l2b
drag 70 260 170 60
picture pic1.eps
light_is pic1.eps 1 170 460 10
light_is pic1.eps 2 570 260 10
xt_key r
picture pic2.eps
light_is pic2.eps 1 170 460 10

# 2. Paused, the other light is dragged: the window shows it at once, and
# the vehicles have not moved.
xt_key Escape
picture pic3.eps
drag 570 260 470 360
picture pic4.eps
light_is pic4.eps 2 470 160 10
[ "$(vehicle_part pic3.eps)" = "$(vehicle_part pic4.eps)" ] \
    || fail "the vehicles moved while paused"
wait_for yellow 21x21+460+350 50 441 "the paused window was not redrawn with the light at its new place"

# 3. Released outside the window, a drag still ends; q in the middle of
# another one quits cleanly.
drag 470 360 1000 900
picture pic5.eps
light_is pic5.eps 2 1000 -380 10
move 170 60
mouse mousedown 1
move 200 100
xt_key q
xt_wait_exit 5 || fail "q during a drag: the program did not quit"
mouse mouseup 1
[ "$XT_STATUS" = 0 ] || fail "q during a drag: status $XT_STATUS"

# 4. Lights only, so every pixel but theirs is empty space.  Dragging
# space from (320, 100) to (420, 150) moves the view with the pointer.
xt_start -o 'view%d.eps' l2a l2b
picture view1.eps
drag 320 100 420 150
picture view2.eps
light_is view2.eps 1 170 210 10
light_is view2.eps 2 670 210 10

# The wheel zooms by 1.2 a click and keeps the world point under the
# pointer: with the pointer on l2a's pixel (170, 310), whose centre is
# half a unit up and right of the light at page (170.5, 210.5), three
# clicks up put the light at 170.5 - 0.5 * 1.728 and l2b 500 * 1.728
# further right; two down and one up again make it 1.2.
move 170 310
mouse click 4 click 4 click 4
picture view3.eps
light_is view3.eps 1 169.636 209.636 17.28
light_is view3.eps 2 1033.636 209.636 17.28
mouse click 5 click 5
picture view4.eps
light_is view4.eps 1 169.9 209.9 12
# End: the first view again, the same picture as at the start.
xt_key End
picture view5.eps
cmp -s "$XT_TMP/view1.eps" "$XT_TMP/view5.eps" || fail "End did not restore the first view"

# 5. '?' shows the key panel, white text in the top-left corner; a
# picture written meanwhile is the same as without it.
xt_wait_drawn
xt_screenshot "$XT_TMP/plain.png"
[ "$(xt_count_colour "$XT_TMP/plain.png" white)" = 0 ] || fail "white before '?'"
xt_key question
wait_for white 320x260+0+0 1000 83200 "'?' showed no panel in the corner"
picture view6.eps
cmp -s "$XT_TMP/view1.eps" "$XT_TMP/view6.eps" || fail "the panel got into the picture"
xt_key question
wait_for white 640x520+0+0 0 0 "'?' again did not hide the panel"
xt_key q
xt_wait_exit 5 || fail "the program did not quit"

# 6. In the dark the v3 vehicles speed off and the v2 ones flee the
# lights; once some vehicle is out of the picture, Home brings every
# one of them back into its frame.
xt_start -o 'home%d.eps' v2a v2b v3a v3b l2a l2b
gone=0
for i in $(seq 60); do
    picture "home$i.eps"
    gone=$(outside "home$i.eps")
    [ "$gone" -gt 0 ] && break
    sleep 0.5
done
[ "$gone" -gt 0 ] || fail "no vehicle left the window within 30 s"
xt_key Escape Home
fit=home$((i + 1)).eps
picture "$fit"
[ "$(outside "$fit")" = 0 ] || fail "Home left $(outside "$fit") vehicles outside the picture"
[ "$(grep -c '^% Vehicle' "$XT_TMP/$fit")" = 4 ] || fail "the fitted picture lacks vehicles"
xt_key q
xt_wait_exit 5 || fail "the program did not quit"

pass "mouse: drags, pan, wheel zoom, Home and End, key panel"
