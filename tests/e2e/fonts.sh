#!/usr/bin/env bash
# The fonts that the windows ask for are the fonts GDI gives them in the
# project's Wine prefix, not substitutes: the layouts' faces, the dialog
# face, and Marlett, whose glyphs draw the caption buttons (without it the
# close box shows the letter "r").
set -uo pipefail
: "${BUILD_DIR:?}" "${SOURCE_DIR:?}"
out="$("$SOURCE_DIR/scripts/wine-run" "$BUILD_DIR/peers/window_probe.exe" fonts \
  Marlett "MS Sans Serif" Tahoma Arial "Times New Roman" "Courier New" "MS Shell Dlg" 2>/dev/null | tr -d '\r')"
status=$?
echo "$out"
[ "$status" = 0 ] || { echo "FAIL: substituted fonts (run scripts/bootstrap.sh to set up the prefix)" >&2; exit 1; }
