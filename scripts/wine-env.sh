# Sourced by the scripts that build or run the Windows side. Picks the Windows
# architecture this machine's Wine can run and the Wine prefix for it:
#   TOVIRA_ARCH  i686 (the shipped 32-bit program) where the kernel runs 32-bit
#                programs, x86_64 where it cannot (no IA-32 emulation: Wine's
#                32-bit loader fails with "Exec format error"); a value set
#                by the caller wins.
#   TOVIRA_RUNNABLE_ARCH  what this machine runs, whatever TOVIRA_ARCH says
#                (a build of the other one is only cross-built).
#   WINEPREFIX   ~/.wine-tovira (32-bit prefix) or ~/.wine-tovira64 unless set.
#   TOVIRA_WINE  the Wine loader for that architecture.
if [ -z "${TOVIRA_RUNNABLE_ARCH:-}" ]; then
  if [ ! -e /usr/lib/wine/wine ] || /usr/lib/wine/wine --version >/dev/null 2>&1; then
    TOVIRA_RUNNABLE_ARCH=i686
  else
    TOVIRA_RUNNABLE_ARCH=x86_64
  fi
fi
export TOVIRA_RUNNABLE_ARCH
export TOVIRA_ARCH="${TOVIRA_ARCH:-$TOVIRA_RUNNABLE_ARCH}"
if [ "$TOVIRA_ARCH" = x86_64 ]; then
  export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-tovira64}"
  export WINELOADER=/usr/lib/wine/wine64 TOVIRA_WINE=/usr/lib/wine/wine64
else
  export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-tovira}"
  export TOVIRA_WINE=wine
fi
