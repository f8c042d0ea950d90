#!/usr/bin/env bash
# The portable zip: its content list, then a start from a fresh folder as a
# Windows user would do it (unzip anywhere, run Tovira.exe): the exe from the
# zip sits in the tray, shows its window through the icon with one tab per
# picture folder, and writes its options next to itself when it closes.
set -uo pipefail
: "${BUILD_DIR:?}" "${SOURCE_DIR:?}" "${DISPLAY:?}"
zip="$(ls "$BUILD_DIR"/Tovira-2.0-win??.zip 2>/dev/null | head -n1)"
probe_exe="$BUILD_DIR/peers/window_probe.exe"
run() { "$SOURCE_DIR/scripts/wine-run" "$@"; }
probe() { run "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }
poll() {  # poll <seconds> <command...>: until it succeeds or the time is up
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

work="$(mktemp -d)"
app_pid=""
cleanup() {
  [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
[ -f "$zip" ] || { echo "missing $BUILD_DIR/Tovira-2.0-win32.zip (or -win64)" >&2; exit 1; }

# --- content list: exactly the program, its data, the licences and the read-me, in one folder
unzip -Z1 "$zip" | grep -v '/$' | sort >"$work/listed"
{
  printf 'Tovira/%s\n' Tovira.exe Tovira.chm sound.wav ReadMe.txt
  (cd "$SOURCE_DIR/data" && find images licenses -type f | sed 's|^|Tovira/|')
} | sort >"$work/expected"
diff "$work/expected" "$work/listed" >&2 || fail "the zip's content list differs (< expected, > in the zip)"
grep -q 'Tovira/licenses/NOTICE.txt' "$work/listed" || fail "no licence notice in the zip"
# A download people take by mail and on slow lines: under 3 MB.
zip_bytes=$(stat -c %s "$zip")
[ "$zip_bytes" -lt $((3 * 1024 * 1024)) ] || fail "the zip has $zip_bytes bytes, 3 MB or more"
echo "zip: $zip_bytes bytes"

# --- start from a fresh folder, with a space in its name
folder="$work/Unzipped here"
mkdir -p "$folder" && unzip -q "$zip" -d "$folder" || { fail "cannot unzip"; exit 1; }
app="$folder/Tovira"
head -n1 "$app/ReadMe.txt" | grep -q $'^Tovira 2.0 - .*\r$' ||
  fail "the read-me does not start with the product line in Windows line ends"
[ "$(head -c 2 "$app/Tovira.exe")" = MZ ] || fail "Tovira.exe is not a Windows program"
for text in "$app"/licenses/*.txt; do
  cmp -s <(tr -d '\r' <"$text") "$SOURCE_DIR/data/licenses/${text##*/}" && grep -q $'\r$' "$text" ||
    fail "${text##*/} is not the licence text of data/licenses in Windows line ends"
done
grep -q 'Apache License' "$app/licenses/NOTICE.txt" || fail "the notice names no licence"
icons_before=$(probe tray | grep -c '^icon')
xdotool mousemove 640 400
(cd "$app" && exec "$SOURCE_DIR/scripts/wine-run" ./Tovira.exe) >/dev/null 2>&1 &
app_pid=$!
more_icons() { [ "$(probe tray | grep -c '^icon')" -gt "$icons_before" ]; }
poll 60 more_icons || fail "no tray icon from the unzipped exe"
# The last field of the probe's window line is its visibility; the others
# are coordinates that may end in 0 or 1 themselves.
hidden() { probe window 'Tovira v2.0' | grep -q '^window .* 0$'; }
shown() { probe window 'Tovira v2.0' | grep -q '^window .* 1$'; }
poll 10 hidden || fail "the main window is not there (hidden) at start"

read -r _ l t r b <<<"$(probe tray | grep '^icon' | tail -n1)"
# The tray window is mapped on the X side a moment after the icon exists;
# move over the icon again, one pixel aside, while the window stays hidden.
poll 20 xdotool search --onlyvisible --name '^Wine System Tray$' || fail "Wine's tray window is not on the screen"
nudge=0
reveal() {
  nudge=$((1 - nudge))
  xdotool mousemove $(((l + r) / 2 + nudge)) $(((t + b) / 2))
  poll 2 shown
}
poll 30 reveal || fail "the window did not show through the tray icon"
expected_tabs="general additional $(cd "$SOURCE_DIR/data/images" && ls -d */ | tr -d / | grep -vx -e general -e additional | sort -f | tr '\n' ' ')"
got_tabs="$(probe tabs 'Tovira v2.0' | sed 's/^tab //' | tr -s ' ' | sed 's/^ //; s/ $//' | tr '\n' ' ')"
[ "$(echo $got_tabs)" = "$(echo $expected_tabs)" ] || fail "tabs '$got_tabs', expected '$expected_tabs'"
echo "tabs: $got_tabs"

run "$probe_exe" close 'Tovira v2.0' >/dev/null 2>&1
poll 30 bash -c "! kill -0 $app_pid" && app_pid="" || fail "the program did not end on close"
grep -q '^DoMinimize=1' "$app/Tovira.ini" 2>/dev/null || fail "no Tovira.ini written next to the unzipped exe"

[ "$failures" = 0 ] && echo "package: $(unzip -Z1 "$zip" | grep -vc '/$') files, starts from a fresh folder"
exit "$failures"
