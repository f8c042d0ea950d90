#!/usr/bin/env bash
# What PutHtmlOnClipboard leaves on the clipboard, read from the X side with
# xclip (a consumer we did not write): no plain-text target at all, the raw
# "HTML Format" bytes, and for the headed form the text/html target, which
# Wine cuts out of the payload by the header's StartFragment/EndFragment.
set -euo pipefail
: "${BUILD_DIR:?}" "${SOURCE_DIR:?}"

test_exe="$BUILD_DIR/tests/test_clipboard.exe"
peer_exe="$BUILD_DIR/peers/compose_peer.exe"
for f in "$test_exe" "$peer_exe"; do [ -f "$f" ] || { echo "missing $f" >&2; exit 1; }; done

work="$(mktemp -d)"
xvfb_pid=""
prefix="$work/prefix"
cleanup() {
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Polls a command until it succeeds; 20 seconds at most.
wait_for() {
  local i
  for i in $(seq 1 200); do "$@" && return 0; sleep 0.1; done
  return 1
}

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 160 169); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    wait_for test -e "/tmp/.X11-unix/X$n" && break
  done
fi

# Wine hands the clipboard to X from its desktop process, which talks to the
# display of whoever started the prefix's wineserver. A prefix of our own
# (sharing drive_c with the project's one) gets a server on this display.
. "$SOURCE_DIR/scripts/wine-env.sh"
source_prefix="$WINEPREFIX"
[ -f "$source_prefix/system.reg" ] || WINEPREFIX="$source_prefix" "$SOURCE_DIR/scripts/wine-run" wineboot -u
mkdir -p "$prefix/dosdevices"
cp "$source_prefix"/*.reg "$source_prefix/.update-timestamp" "$prefix/"
ln -s "$source_prefix/drive_c" "$prefix/drive_c"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
export WINEPREFIX="$prefix"
run() { "$SOURCE_DIR/scripts/wine-run" "$@"; }

# Keeps the desktop process (and so the X side of the clipboard) alive
# between the programs that put the fragment.
run "$peer_exe" --class ClipKeeper --title keeper --lifetime 120 --ready "$work/keeper.ready" &
wait_for test -s "$work/keeper.ready" || { echo "peer did not start" >&2; exit 1; }

x_read() { timeout 5 xclip -selection clipboard -t "$1" -o 2>/dev/null; }
same_bytes() { x_read "$1" | cmp -s - "$2"; }

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

check_form() {
  local form="$1" raw="$2" fragment="${3:-}"
  run "$test_exe" --gtest_filter="Clipboard/PutHtml.OnlyHtmlFormatRemainsAndPlainTextIsGone/$form" >"$work/$form.out" 2>&1 \
    || { cat "$work/$form.out" >&2; fail "$form: the Windows side check failed"; return; }
  # The export to X happens a moment after the clipboard changed.
  wait_for same_bytes "HTML Format" "$raw" || fail "$form: raw HTML Format bytes differ"
  local targets
  targets="$(x_read TARGETS | tr '\n' ' ')"
  echo "$form targets: $targets"
  [[ " $targets " == *" text/html "* ]] || fail "$form: no text/html target"
  for t in UTF8_STRING STRING TEXT text/plain COMPOUND_TEXT; do
    [[ " $targets " != *" $t "* ]] || fail "$form: plain-text target $t offered"
  done
  if x_read UTF8_STRING >/dev/null; then fail "$form: a plain-text paste yields something"; fi
  if [ -n "$fragment" ]; then
    same_bytes text/html "$fragment" || fail "$form: text/html is not the fragment the header names"
  fi
}

element='<IMG src="file:///C:/My Pictures/smile face.gif">'
printf '%s\0' "<!--StartFragment-->$element<!--EndFragment-->" >"$work/headless.raw"
printf '%s\0' "$(printf 'Version:0.9\r\nStartHTML:00000097\r\nEndHTML:00000220\r\nStartFragment:00000132\r\nEndFragment:00000202\r\n<html> <body>\r\n<!--StartFragment-->\r\n%s\r\n</body> </html>\r\n<!--EndFragment-->' "$element")" >"$work/headed.raw"
printf '\r\n%s\r\n</body> </html>\r\n' "$element" >"$work/headed.fragment"

check_form Headless "$work/headless.raw"
check_form Headed "$work/headed.raw" "$work/headed.fragment"

[ "$failures" = 0 ] && echo "clipboard X side: ok"
exit "$failures"
