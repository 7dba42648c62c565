# The window: its properties, its default size, a drawn frame, resizing,
# and the window manager's delete request, which ends the program like 'q'.
. "$(dirname "$0")/common.sh"

xdpyinfo -queryExtensions | grep -q DOUBLE-BUFFER \
    || fail "the test server lacks DOUBLE-BUFFER"

xt_start l v2a v2a v3b v1

props=$(xprop -id "$XT_WIN")
expect_prop() {
    printf '%s\n' "$props" | grep -qxF "$1" || fail "missing property line: $1"
}
expect_prop 'WM_NAME(STRING) = "xtinkerbot"'
expect_prop 'WM_ICON_NAME(STRING) = "xtinkerbot"'
expect_prop 'WM_CLASS(STRING) = "xtinkerbot", "XTinkerbot"'
expect_prop 'WM_PROTOCOLS(ATOM): protocols  WM_DELETE_WINDOW'
expect_prop 'WM_NORMAL_HINTS(WM_SIZE_HINTS):'
# Without -geometry the size hints carry no flags at all.
hints=$(printf '%s\n' "$props" | grep -A3 '^WM_NORMAL_HINTS' | tail -n +2 | grep '^		' || true)
[ -z "$hints" ] || fail "default size hints carry flags: $hints"

info=$(xwininfo -id "$XT_WIN")
printf '%s\n' "$info" | grep -q 'Width: 640$' || fail "width is not 640"
printf '%s\n' "$info" | grep -q 'Height: 520$' || fail "height is not 520"
printf '%s\n' "$info" | grep -q 'Absolute upper-left X:  0$' || fail "x is not 0"
printf '%s\n' "$info" | grep -q 'Absolute upper-left Y:  0$' || fail "y is not 0"
printf '%s\n' "$info" | grep -q 'Border width: 0$' || fail "border is not 0"

# A frame: red vehicles and a yellow light on black (polled: on a loaded
# machine the first frame may take a while).
xt_wait_vehicles "$XT_TMP/frame.png"
red=$XT_RED
yellow=$XT_YELLOW
black=$(xt_count_colour "$XT_TMP/frame.png" black)
[ "$red" -gt 50 ] || fail "too few red pixels in the frame: $red"
[ "$yellow" -gt 20 ] || fail "too few yellow pixels in the frame: $yellow"
[ "$black" -gt 300000 ] || fail "background is not black: $black black pixels"

# The light "l" sits at the world origin, the centre of a fresh window.
centre=$(xt_count_colour "$XT_TMP/frame.png" yellow 9x9+316+256)
[ "$centre" -gt 0 ] || fail "no yellow at the window centre"

# Resizing keeps the program drawing at the new size.  X keeps the top-left
# corner in place and so does the view, so the light stays at the same
# pixel although the window grew.
xdotool windowsize "$XT_WIN" 800 700
info=$(xwininfo -id "$XT_WIN")
printf '%s\n' "$info" | grep -q 'Width: 800$' || fail "resize did not take"
# The resized window is cleared until the program redraws it: poll.
for i in $(seq 30); do
    sleep 0.5
    xt_alive || fail "the program died after a resize"
    xt_screenshot "$XT_TMP/resized.png"
    moved=$(xt_count_colour "$XT_TMP/resized.png" yellow 9x9+316+256)
    [ "$moved" -gt 0 ] && break
done
[ "$moved" -gt 0 ] || fail "the light moved after a resize"

# The window manager's delete request: a WM_PROTOCOLS client message.
command -v cc >/dev/null || fail "no C compiler for the delete-request helper"
cat >"$XT_TMP/delete.c" <<'C'
#include <X11/Xlib.h>
#include <stdlib.h>
int main(int argc, char **argv)
{
    Display *d = XOpenDisplay(NULL);
    if (!d || argc < 2)
        return 2;
    XEvent e = {0};
    e.xclient.type = ClientMessage;
    e.xclient.window = strtoul(argv[1], NULL, 0);
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = XInternAtom(d, "WM_DELETE_WINDOW", False);
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, e.xclient.window, False, NoEventMask, &e);
    XCloseDisplay(d);
    return 0;
}
C
cc -o "$XT_TMP/delete" "$XT_TMP/delete.c" -lX11 || fail "helper did not build"
"$XT_TMP/delete" "$XT_WIN" || fail "helper could not send"
xt_wait_exit 5
[ "$XT_STATUS" = 0 ] || fail "delete request: status $XT_STATUS, expected 0"
[ ! -s "$XT_STDERR" ] || fail "unexpected messages"

pass "window properties, frame, resize and delete request"
