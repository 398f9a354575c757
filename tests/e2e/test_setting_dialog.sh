# SPDX-License-Identifier: MIT
# The settings dialog on a real X server under openbox: opened from the
# monitor's menu, it changes the running window at once on Apply: framed to
# borderless and back with the outer corner where it was, stay on top and
# off the task bar switched on and off while the window is shown, the id a
# second copy looks up kept current; a second opening shows the same
# dialog; the settings reach the store only when the program ends. Export
# through the file dialog writes the 40-byte default file, and an import of
# a file written by hand changes the window only at OK.
# Usage: test_setting_dialog.sh PELORIN_BINARY
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
source "$(dirname "${PELORIN_E2E_LIB:-$0}")/window_helpers.sh"
PELORIN_BIN=$1

e2e_start 1280x1024

dialog_window() {
    xdotool search --all --pid "$PELORIN_PID" --onlyvisible --name 'ペロリンの設定' 2>/dev/null | head -n1
}
dialog_shown() { [ -n "$(dialog_window)" ]; }
dialog_hidden() { [ -z "$(dialog_window)" ]; }
dialog_count() { xdotool search --all --pid "$PELORIN_PID" --name 'ペロリンの設定' 2>/dev/null | wc -l; }
focused_is() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
# The id a second copy activates names the monitor's window as it is now.
published_is_current() {
    local id
    id=$(stored_dword System HWND)
    [ -n "$id" ] && [ $((id & 0xffffffff)) -eq "$WID" ] && is_normal "$WID"
}

# open_dialog: the monitor's menu item "&S・設定" through a right click on
# its body; the dialog's id in DLG, focused.
open_dialog() {
    local x y
    read -r x y _ <<<"$(client_geometry "$WID")"
    pointer_to $((x + 20)) $((y + 12))
    xdotool click 3
    expect "menu opens on a right click" 10 menu_open
    xdotool key s
    expect "the dialog is shown" 10 dialog_shown
    DLG=$(dialog_window)
    xdotool windowactivate "$DLG" 2>/dev/null
    expect "the dialog has the focus" 10 focused_is "$DLG"
    park_pointer
}

# keys KEY...: typed into the dialog.
keys() {
    xdotool windowactivate "$DLG" 2>/dev/null
    wait_for 5 focused_is "$DLG"
    xdotool key --delay 60 "$@"
}

park_pointer
write_store 100 50 0 StayOnTop=0 UnTaskBar=0
launch || e2e_finish
expect "framed at the stored corner" 10 outer_corner_is "$WID" "100 50"
expect "framed: a border" 10 extents_not "$WID" "0 0 0 0"

open_dialog
# Alt+W focuses the layout list; Down chooses the next layout; Alt+A applies.
keys alt+w Down alt+a
expect "borderless at once" 10 extents_are "$WID" "0 0 0 0"
expect "borderless: layout 1's size" 10 client_size_is "$WID" "241 106"
expect "borderless: the outer corner unmoved" 10 outer_corner_is "$WID" "100 50"
check "the dialog stays open after Apply" dialog_shown
expect "the published id is the window's" 10 published_is_current

keys alt+w Up alt+a
expect "framed again" 10 extents_not "$WID" "0 0 0 0"
expect "framed again: the outer corner unmoved" 10 outer_corner_is "$WID" "100 50"
expect "framed again: the published id is the window's" 10 published_is_current

# Stay on top is the box after the list (the mouse-over box is disabled for
# layout 0); off the task bar the third after it.
keys alt+w Tab space alt+a
expect "stay on top switched on while shown" 10 has_state "$WID" _NET_WM_STATE_ABOVE
expect "stay on top: the outer corner unmoved" 10 outer_corner_is "$WID" "100 50"
keys alt+w Tab Tab Tab space alt+a
expect "off the task bar while shown" 10 has_state "$WID" _NET_WM_STATE_SKIP_TASKBAR
expect "stay on top: the published id is the window's" 10 published_is_current
check "nothing stored before the end" test "$(stored_dword Pref StayOnTop)" = 0

keys alt+w Tab space Tab Tab space alt+a
expect "stay on top switched off" 10 lacks_state "$WID" _NET_WM_STATE_ABOVE
expect "back on the task bar" 10 lacks_state "$WID" _NET_WM_STATE_SKIP_TASKBAR
expect "after both: the outer corner unmoved" 10 outer_corner_is "$WID" "100 50"

# Borderless with stay on top in one step, then closed with OK (Enter); the
# mouse-over box is enabled for layout 2 and comes first.
keys alt+w Down Down Tab Tab space Return
expect "OK hides the dialog" 10 dialog_hidden
expect "OK: borderless layout 2" 10 client_size_is "$WID" "241 52"
expect "OK: on top" 10 has_state "$WID" _NET_WM_STATE_ABOVE
expect "OK: the outer corner unmoved" 10 outer_corner_is "$WID" "100 50"
# The mouse-over twin follows the new layout at once.
pointer_to 120 62
expect "OK: the twin with differences under the pointer" 10 client_size_is "$WID" "241 106"
park_pointer
expect "OK: back to layout 2 once the pointer has left" 10 client_size_is "$WID" "241 52"

open_dialog
check "the second opening shows the same dialog" test "$(dialog_count)" = 1
# Esc cancels: the record in force stays.
keys alt+w Up Up Escape
expect "Esc hides the dialog" 10 dialog_hidden
check "Esc: the layout in force stays" client_size_is "$WID" "241 52"

close_monitor
check "the applied layout stored at the end" test "$(stored_dword Pref BaseWinStyle)" = 2
check "stay on top stored at the end" test "$(stored_dword Pref StayOnTop)" = 1
check "the corner stored unchanged" \
    test "$(stored_dword ExitState MWLeft) $(stored_dword ExitState MWTop)" = "100 50"

# Export and import, the file dialog opening in the folder stored last.
FILES="$E2E_TMP/exports"
mkdir -p "$FILES"
file_dialog() { xdotool search --all --pid "$PELORIN_PID" --onlyvisible --name "$1" 2>/dev/null | head -n1; }
file_dialog_shown() { [ -n "$(file_dialog "$1")" ]; }
# through_file_dialog KEY CAPTION NAME: opens the file dialog with the
# dialog's button KEY, types NAME into its name edit and presses OK.
through_file_dialog() {
    keys "$1"
    expect "file dialog \"$2\" shown" 10 file_dialog_shown "$2"
    local fd
    fd=$(file_dialog "$2")
    xdotool windowactivate "$fd" 2>/dev/null
    wait_for 5 focused_is "$fd"
    xdotool key --delay 60 alt+n ctrl+a
    xdotool type --delay 30 "$3"
    xdotool key Return
    expect "file dialog \"$2\" closed" 10 sh -c "! xdotool search --all --pid $PELORIN_PID --onlyvisible --name '$2' | grep -q ."
}

write_store 200 120 0
sed -i "s|\"EHFolder\"=\"\"|\"EHFolder\"=\"$FILES\"|" "$(STORE_FILE)"
launch || e2e_finish
open_dialog
# Default first: the export holds what the controls show, applied or not.
keys alt+d
through_file_dialog alt+e "設定を外持ファイルに保存" default
check "export: the default file written" test -f "$FILES/default.plne"
check "export: 40 bytes" test "$(stat -c %s "$FILES/default.plne" 2>/dev/null)" = 40
check "export: the default settings" test "$(printf 'PLNIE$2\r\n0\r\n1\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n1\r\n60\r\n' | md5sum)" \
    = "$(md5sum < "$FILES/default.plne")"
check "export: the monitor still has its own settings" client_size_is "$WID" "241 150"

# Memory only without labels or differences, off the task bar, in MB.
printf 'PLNIE$2\r\n0\r\n0\r\n0\r\n0\r\n0\r\n1\r\n1\r\n8\r\n2\r\n60\r\n' > "$FILES/hand.plne"
through_file_dialog alt+i "外持ファイルから設定を読み込む" hand.plne
check "import: the dialog stays open" dialog_shown
check "import: the monitor unchanged until OK" client_size_is "$WID" "241 150"
keys Return
expect "import then OK: layout 8 at once" 10 client_size_is "$WID" "153 29"
expect "import then OK: borderless" 10 extents_are "$WID" "0 0 0 0"
expect "import then OK: off the task bar" 10 has_state "$WID" _NET_WM_STATE_SKIP_TASKBAR
expect "import then OK: the outer corner unmoved" 10 outer_corner_is "$WID" "200 120"
# The monitor closed while the dialog is open still ends the program.
open_dialog
close_monitor
check "the imported layout stored at the end" test "$(stored_dword Pref BaseWinStyle)" = 8
check "the file dialog's folder stored at the end" grep -q "\"EHFolder\"=\"$FILES\"" "$(STORE_FILE)"

e2e_finish
