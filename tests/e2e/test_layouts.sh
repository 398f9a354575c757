# SPDX-License-Identifier: MIT
# The nine window styles on a real X server under openbox: each style's outer
# size and frame, the stored corner as the outer top-left with and without a
# frame (and saved back unchanged), and the mouse-over twin of the
# no-difference styles growing from that corner and going back once the
# pointer has left.
# Usage: test_layouts.sh PELORIN_BINARY
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
source "$(dirname "${PELORIN_E2E_LIB:-$0}")/window_helpers.sh"
PELORIN_BIN=$1

e2e_start 1280x1024

LEFT=100
TOP=50
# Per style: the client's width and height; style 0 is framed around it.
SIZES=("241 150" "241 106" "241 52" "153 106" "153 52" "241 52" "241 29" "153 52" "153 29")
# The twin shown while the pointer is over a no-difference style.
declare -A TWIN=([2]=1 [4]=3 [6]=5 [8]=7)

for style in 0 1 2 3 4 5 6 7 8; do
    park_pointer
    write_store "$LEFT" "$TOP" "$style"
    launch || continue
    size=${SIZES[$style]}

    expect "style $style: client size $size" 10 client_size_is "$WID" "$size"
    if [ "$style" -eq 0 ]; then
        expect "style 0: caption and border" 10 extents_not "$WID" "0 0 0 0"
        read -r l r t b <<<"$(frame_extents "$WID")"
        read -r w h <<<"$size"
        expect "style 0: outer top-left at the stored corner" 10 \
            outer_is "$WID" "$LEFT $TOP $((w + l + r)) $((h + t + b))"
    else
        expect "style $style: no frame" 10 extents_are "$WID" "0 0 0 0"
        expect "style $style: outer geometry" 10 outer_is "$WID" "$LEFT $TOP $size"
    fi
    read -r x y _ <<<"$(outer_geometry "$WID")"

    if [ -n "${TWIN[$style]:-}" ]; then
        twin=${TWIN[$style]}
        # Over the first name label, which every style shows.
        pointer_to $((x + 20)) $((y + 12))
        expect "style $style: twin $twin under the pointer, grown from the corner" 10 \
            outer_is "$WID" "$x $y ${SIZES[$twin]}"
        park_pointer
        expect "style $style: back once the pointer has left" 10 outer_is "$WID" "$x $y $size"
    fi

    close_monitor
    if [ "$style" -eq 0 ]; then
        check "style 0: corner saved unchanged" \
            test "$(stored_dword ExitState MWLeft) $(stored_dword ExitState MWTop)" = "$LEFT $TOP"
    else
        check "style $style: corner saved unchanged" \
            test "$(stored_dword ExitState MWLeft) $(stored_dword ExitState MWTop)" = "$LEFT $TOP"
    fi
done

e2e_finish
