#!/usr/bin/env bash
# The windows at 120, 144 and 192 dpi: test_dpi_layout run in this test's
# Wine prefix with LogPixels set to each (the prefix is this test's alone
# while it runs; the value is put back at the end), plus a screenshot of each
# window at each resolution in build/test-screenshots/dpi/.
set -uo pipefail
: "${BUILD_DIR:?}" "${SOURCE_DIR:?}"
. "$SOURCE_DIR/scripts/wine-env.sh"
program="$BUILD_DIR/tests/test_dpi_layout.exe"
[ -f "$program" ] || program="$(find "$BUILD_DIR/tests" -name test_dpi_layout.exe | head -1)"
[ -f "$program" ] || { echo "FAIL: test_dpi_layout.exe not built" >&2; exit 1; }
shots="$BUILD_DIR/test-screenshots/dpi"
mkdir -p "$shots"

# Wine reads the resolution of the screen from the user's desktop settings
# (and the machine's font settings before them) when a process starts; the
# wineserver keeps the registry, so it is stopped around each change.
user_key='HKCU\Control Panel\Desktop'
machine_key='HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'
set_dpi() {
  "$TOVIRA_WINE" reg add "$user_key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$TOVIRA_WINE" reg add "$machine_key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -w
}
restore() { set_dpi 96; }
trap restore EXIT
trap 'exit 1' TERM INT  # the resolution is put back when stopped too

failed=0
for dpi in 120 144 192; do
  set_dpi "$dpi"
  echo "== $dpi dpi"
  TOVIRA_TEST_DPI=$dpi TOVIRA_DPI_SHOTS="$shots" "$SOURCE_DIR/scripts/wine-run" "$program" || failed=1
done
ls "$shots"
[ "$failed" = 0 ] || { echo "FAIL: layouts at some resolution" >&2; exit 1; }
