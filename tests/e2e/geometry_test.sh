# -geometry on a 1280x1024 screen: size, position, gravity, and the bad
# specifications, which are reported but do not stop the program.
. "$(dirname "$0")/common.sh"

# spec | width height x y | message expected? | hint lines expected (grep -F)
check() {
    local spec=$1 w=$2 h=$3 x=$4 y=$5 bad=$6
    shift 6
    xt_start -geometry "$spec" l
    local info props
    info=$(xwininfo -id "$XT_WIN")
    props=$(xprop -id "$XT_WIN" WM_NORMAL_HINTS)
    printf '%s\n' "$info" | grep -q "Width: $w\$" || fail "'$spec': width is not $w"
    printf '%s\n' "$info" | grep -q "Height: $h\$" || fail "'$spec': height is not $h"
    printf '%s\n' "$info" | grep -q "Absolute upper-left X:  $x\$" || fail "'$spec': x is not $x"
    printf '%s\n' "$info" | grep -q "Absolute upper-left Y:  $y\$" || fail "'$spec': y is not $y"
    local line
    for line in "$@"; do
        printf '%s\n' "$props" | grep -qF "$line" || fail "'$spec': no hint '$line' in: $props"
    done
    if [ "$bad" = bad ]; then
        [ "$(cat "$XT_STDERR")" = "xtinkerbot: bad geometry specification" ] \
            || fail "'$spec': expected the bad-geometry message"
        [ "$(printf '%s\n' "$props" | wc -l)" = 1 ] \
            || fail "'$spec': bad geometry left hint flags: $props"
    else
        [ ! -s "$XT_STDERR" ] || fail "'$spec': unexpected message"
    fi
    xt_key q
    xt_wait_exit 5 || fail "'$spec': status $XT_STATUS after q"
}

check 300x200 300 200 0 0 ok "user specified size: 300 by 200"
check 300x200+10-20 300 200 10 804 ok "user specified location: 10, 804" \
    "window gravity: SouthWest"
check -0-0 640 520 640 504 ok "user specified location: 640, 504" \
    "window gravity: SouthEast"
check 300x200+10+20junk 300 200 10 20 ok "window gravity: NorthWest"
check 300 300 520 0 0 bad
check 300x200+10 300 200 10 0 bad
check x200 640 520 0 0 bad
check '' 640 520 0 0 bad
# A zero size would be refused by the server and kill the program.
check 0x200 640 520 0 0 bad
check 300x0 300 520 0 0 bad
check 99999999999999999999x5 640 520 0 0 bad

pass "geometry table"
