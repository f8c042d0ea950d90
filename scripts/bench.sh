#!/usr/bin/env bash
# ./tovira bench: runs the benchmark driver (tests/bench, a Windows program)
# on the X display $DISPLAY, prints its table and writes docs/performance.md:
# the date, the machine, how each figure is measured, the figures and the
# targets met or missed.
#
#   scripts/bench.sh BUILD_DIR OUTPUT_MD [driver arguments, e.g. --runs 3]
set -euo pipefail
build="${1:?usage: bench.sh BUILD_DIR OUTPUT_MD [driver arguments]}"
out="${2:?usage: bench.sh BUILD_DIR OUTPUT_MD [driver arguments]}"
shift 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
: "${DISPLAY:?bench.sh needs an X display}"
. "$here/wine-env.sh"
driver="$build/bench/tovira_bench.exe"
[ -f "$driver" ] || { echo "bench: missing $driver (build first)" >&2; exit 1; }

started=$SECONDS
load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
table="$(mktemp)"
trap 'rm -f "$table"' EXIT
wine_path() { local p="Z:$1"; echo "${p//\//\\}"; }  # drive Z: is the root

"$here/wine-run" "$driver" --clk-tck "$(getconf CLK_TCK)" --out "$(wine_path "$table")" "$@"
[ -s "$table" ] || { echo "bench: the driver wrote no table" >&2; exit 1; }
load_after="$(cut -d' ' -f1-3 /proc/loadavg)"
seconds=$((SECONDS - started))

# The program ships 32-bit; a machine that cannot run 32-bit programs
# measures the 64-bit build of the same sources, and the file says so.
arch_note=""
if [ "$TOVIRA_ARCH" != i686 ]; then
  arch_note=" (this machine cannot run 32-bit programs: these figures are of the 64-bit build, not of the 32-bit program that ships)"
fi
cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)"
memory="$(awk '/^MemTotal:/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)"
{
  cat <<EOF
# Performance

Measured by \`./tovira bench\` (\`scripts/bench.sh\`, driver \`tests/bench/\`), which
wrote this file. Every figure is the median of the runs listed beside it, taken in one
session; timed moments come from QueryPerformanceCounter, which all processes of the
machine share.

| | |
|---|---|
| date | $(date -u '+%Y-%m-%d %H:%M UTC') |
| machine | $(uname -srm) |
| processor | ${cpu:-unknown}, $(nproc) cores |
| memory | $memory |
| Wine | $("$TOVIRA_WINE" --version) |
| Windows architecture built | $TOVIRA_ARCH$arch_note |
| load average before / after (1, 5, 15 min) | $load_before / $load_after |
| run time | $seconds s |

The machine is shared with other jobs: wall-clock figures move with its load (above);
processor times from /proc move much less.

## How each figure is measured

Every run starts the exe as it ships: \`build/shipped/Tovira.exe\`, stripped of its
debugging information as in the package (Wine reads the whole image at start, and
the debugging sections are some 24 MB of it), copied into a folder of its own with
the library being measured.

1. **Start-up.** The driver starts the program with CreateProcess and polls (every
   millisecond) for three moments: WaitForInputIdle returning; the program's icon
   showing in Wine's tray window (what a user sees); and *ready*: the icon is shown and
   the program's window thread answers a message sent to its tab control with the
   number of tabs the library makes (so every tab is built and the thread reads its
   queue). The yardstick is \`tests/peers/bare_window.cpp\`: a class, one hidden
   window, a tray icon, a message loop (its *ready* is the first answer to WM_NULL).
   Libraries: none (an empty \`images\` folder), the default library, and a generated
   one of 40 categories of 125 pictures (5,000 files copied round-robin from the
   default library). One start of each kind per round, so a change in the machine's
   load falls on all alike; one uncounted start first. Processor time: utime + stime
   of the program's Wine process in /proc when it is ready. *Steps*: the program keeps
   the moments of its start-up steps in properties of its main window
   (QueryPerformanceCounter): the category folders listed, the tabs made (a tab's page,
   its folder's listing and its picture view or browser object, is made when the tab
   is first shown, so no step of start-up makes one), and start-up over (the message
   queue empty, the folder watch set up); the tray icon is seen from outside. They are
   timed for the 5,000-picture library, one of 20,000 pictures in 100 categories and
   one of 2,000 empty categories, each started alone, run after run.
2. **First show of a tab of 125 pictures.** The window is shown through the tray icon
   with a library of such tabs (and one of a single picture). Before each run the
   one-picture tab is shown, so nothing of a full page is on the screen; then the
   driver clicks (SendInput) a tab never shown before and reads the screen until the
   box of the last picture in sight holds more than one colour and, read at once
   after, every picture's box does and the page between them is white. The boxes come
   from the view itself (oleacc) on the first tab, which has the same pictures.
   *Yardstick*: \`tests/peers/bare_decode.cpp\`, a bare program that on a click into
   its window (of about the page's size) decodes the same 125 pictures with WIC on its
   window thread and draws them once. It is timed as the first show is: from the
   moment before the click is injected, reading the screen until its last picture and
   then all of them show (it tells where it drew them in window properties, and is
   painted white and seen white before each run). The moment its own paint ended
   (after GdiFlush) is given beside. The first click is not counted (codecs and file
   cache warm up, and it tells where the pictures are).
3. **Pick.** Click to Ctrl+V: the stand-in compose window (\`compose_peer --stamps\`)
   stamps the moment its window procedure gets the V of Ctrl+V; the driver takes the
   moment just before it injects the click (SendInput, the pointer already on the
   picture). The yardstick \`tests/peers/bare_paste.cpp\` does on a click only what
   the pick does to paste: the same "HTML Format" fragment on the clipboard,
   SetForegroundWindow, the same wait for the compose window's focus, keybd_event
   Ctrl+V. Tovira and the yardstick are clicked in turn (twice the runs: the figures
   are cheap and noisy), each brought to the front first, on two spots in turn (two
   clicks on one spot would be a double click); the first click of each is not
   counted (Tovira switches the window to HTML then). Tovira's window stays up after a
   pick in this session ("Minimize when click a smiley" off): what the pick does
   after the Ctrl+V is timed separately. Once on the tab of 125 pictures (its
   animated pictures moving), once on a tab of one still picture. *Own work*: the
   real main window built inside the driver with a 125-picture tab; a press and a
   release are sent to the view, timed from the release's arrival to the return of
   its handler, which with the sound and the hiding off ends with the Ctrl+V sent
   (and the compose window must have taken it); its parts are timed alone.
4. **Memory.** Peak working set by GetProcessMemoryInfo on the program, when ready,
   and VmHWM of its Wine process from /proc, to show which one Wine answers with.
5. **Processor time.** /proc utime + stime of the program's Wine process over a
   10 s window: in the tray right after start with the 5,000 pictures; shown with the
   tab of 125 pictures (its animations moving); back in the tray ("Minimize to tray")
   after the shows and picks. (GetProcessTimes on another process is checked once;
   see the notes.)
6. **Reach.** Hotkey to window shown: a stand-in editor (\`compose_peer\` with a class
   of no mail client) is brought to the front, the driver injects Win+Shift+E
   (SendInput) and polls every millisecond until Tovira's window is visible, is the
   foreground window and its picture view has the keyboard focus (a tab of 24
   pictures of the default library); Esc puts it back between runs (untimed).

## Figures

EOF
  cat "$table"
  cat <<'NOTES'

## Reading the figures

- Start-up: a category costs a tab item and nothing else; its folder is listed, and
  its page (the browser attempt of the first page included: OLE, the WebBrowser object,
  its failing blank document under Wine) made, when its tab is first shown, so the
  first show of the window pays for one page. The tray icon shows before the tabs are
  built, so *to tray icon* hardly moves with the library; *ready* is when a pointer
  over the icon would be answered. The steps rows show where the time goes.
- Click to Ctrl+V: both programs spend most of it waiting for the compose window's
  process to take the focus (Wine delivers keys only then) and for the keys to reach
  it; Tovira's own part before the Ctrl+V is the pick handler's row. The sound starts
  50 ms after the Ctrl+V on a thread of its own: started at once, it competed with
  the compose window for the processor (the sound-off rows show what is left of it);
  picks here follow each other faster than the 0.3 s chime, so each also stops the
  one before. Differences of a few milliseconds between runs are the
  machine's load.
- Hiding to the tray takes about 4 s here and not on a desktop: Wine waits up to 2 s
  for a window manager's answer when it hides a window, and Xvfb runs none; the pick
  hides two windows (the main window and the application window).
- GetProcessTimes on another process under Wine 8 answers with the caller's own times,
  so processor times are read from /proc; GetProcessMemoryInfo answers with VmHWM.
NOTES
} >"$out"
echo "bench: wrote $out ($seconds s)"
