# SPDX-License-Identifier: MIT
# The installed layout: `cmake --install` into a fresh prefix puts the
# program, its help page and its icon together in lib/pelorin, a link to the
# program in bin, a valid Desktop Entry in share/applications and the icon in
# the hicolor theme; started through the link, the program finds the help
# page beside its real file, and so does the import of an export file.
# Usage: test_install.sh PELORIN_BINARY (of a configured build tree)
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
source "$(dirname "${PELORIN_E2E_LIB:-$0}")/window_helpers.sh"
source "$(dirname "${PELORIN_E2E_LIB:-$0}")/browser_helpers.sh"
BUILD_DIR=$(dirname "$1")
PREFIX="$E2E_TMP/prefix"

if ! cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$E2E_TMP/install.log" 2>&1; then
    echo "FAIL - cmake --install"; cat "$E2E_TMP/install.log"; exit 1
fi
PROGRAM_DIR="$PREFIX/lib/pelorin"
check "the program is installed" test -x "$PROGRAM_DIR/pelorin"
check "the help page lies beside it" test -s "$PROGRAM_DIR/Pelorin.htm"
check "the icon lies beside it" test -s "$PROGRAM_DIR/pelorin.png"
check "bin holds a link to the program" test -L "$PREFIX/bin/pelorin"
check "the link leads to the program" test "$(readlink -f "$PREFIX/bin/pelorin")" = "$(readlink -f "$PROGRAM_DIR/pelorin")"
check "the icon is in the hicolor theme" sh -c "ls '$PREFIX'/share/icons/hicolor/*/apps/pelorin.* >/dev/null"
DESKTOP="$PREFIX/share/applications/pelorin.desktop"
check "the Desktop Entry is installed" test -s "$DESKTOP"
check "the Desktop Entry is valid" desktop-file-validate "$DESKTOP"
check "the Desktop Entry starts the program on the command path" grep -qx 'Exec=pelorin' "$DESKTOP"

e2e_start 1280x1024
mkdir -p "$E2E_TMP/elsewhere"
cd "$E2E_TMP/elsewhere"
fake_program firefox lineage.log
export PATH="$E2E_TMP/fakebin:$PREFIX/bin:$PATH"
PELORIN_BIN="$PREFIX/bin/pelorin"

# No stored settings and an export file beside the installed program: its
# settings are taken (UseNN off, so the help needs the page to be there).
printf 'PLNIE$2\r\n0\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n1\r\n60\r\n' > "$PROGRAM_DIR/saved.plne"
fake_program my-browser default.log
export BROWSER=my-browser
launch
menu_item h
expect "through the link: the installed page reaches the browser" 10 \
    log_has default.log "file://$PROGRAM_DIR/Pelorin.htm#Gamensetsumei"
check "through the link: the export file beside the program was imported" test "$(log_lines lineage.log)" -eq 0
close_monitor

e2e_finish
