# SPDX-License-Identifier: MIT
# The help and home page items on a real X server: the help page that the
# build puts beside the program reaches a browser as a file URL at the
# window's anchor, the lineage browser on PATH with UseNN and the user's
# $BROWSER without it; a missing page without UseNN brings the message box
# and starts nothing; the home page item hands an address to xdg-open, and
# the message box appears when xdg-open cannot open it.
# Usage: test_help.sh PELORIN_BINARY
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
source "$(dirname "${PELORIN_E2E_LIB:-$0}")/window_helpers.sh"
source "$(dirname "${PELORIN_E2E_LIB:-$0}")/browser_helpers.sh"
BUILT=$1

e2e_start 1280x1024

check "the build puts the help page beside the program" test -s "$(dirname "$BUILT")/Pelorin.htm"
# A copy of the program and its page in a folder of their own, so that the
# page can be taken away; the program is started from another folder.
mkdir -p "$E2E_TMP/prog" "$E2E_TMP/elsewhere"
cp "$BUILT" "$(dirname "$BUILT")/Pelorin.htm" "$E2E_TMP/prog/"
PELORIN_BIN="$E2E_TMP/prog/pelorin"
PAGE_URL="file://$E2E_TMP/prog/Pelorin.htm#Gamensetsumei"
cd "$E2E_TMP/elsewhere"

fake_program firefox lineage.log
fake_program my-browser default.log
fake_program xdg-open opener.log
export PATH="$E2E_TMP/fakebin:$PATH"
export BROWSER=my-browser

# UseNN on: the lineage browser on PATH.
write_store 100 100 0 UseNN=1
launch
menu_item h
expect "UseNN: the lineage browser gets the page at the anchor" 10 log_has lineage.log "$PAGE_URL"
check "UseNN: the default browser is left alone" test "$(log_lines default.log)" -eq 0

# The home page item hands an address to the opener.
menu_item j
expect "home page: xdg-open gets an address" 10 sh -c "grep -Eq '^https?://[^ ]+\$' '$E2E_TMP/opener.log'"
check "home page: no message box" no_message_box
close_monitor

# UseNN off: $BROWSER.
write_store 100 100 0 UseNN=0
launch
menu_item h
expect "no UseNN: \$BROWSER gets the page at the anchor" 10 log_has default.log "$PAGE_URL"

# The page taken away: the message box, and no browser started.
rm "$E2E_TMP/prog/Pelorin.htm"
menu_item h
expect "missing page: the message box appears" 10 message_box
check "missing page: no browser started" test "$(log_lines default.log)" -eq 1
xdotool key Return
expect "missing page: OK closes the message box" 10 no_message_box

# An opener that cannot open the address: the message box.
fake_program xdg-open opener.log 3
menu_item j
expect "home page failure: the message box appears" 10 message_box
xdotool key Return
expect "home page failure: OK closes the message box" 10 no_message_box
close_monitor

e2e_finish
