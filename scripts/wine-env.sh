# Sourced by the scripts that build or run the Windows side. Picks the Windows
# architecture this machine's Wine can run and the Wine prefix for it:
#   TOVIRA_ARCH  i686 (the shipped 32-bit program) where the kernel runs 32-bit
#                programs, x86_64 where it cannot (no IA-32 emulation: Wine's
#                32-bit loader fails with "Exec format error") or where the
#                32-bit Wine is not installed; a value set by the caller wins.
#   TOVIRA_RUNNABLE_ARCH  what this machine runs, whatever TOVIRA_ARCH says
#                (a build of the other one is only cross-built).
#   WINEPREFIX   ~/.wine-tovira (32-bit prefix) or ~/.wine-tovira64 unless set.
#   TOVIRA_WINE  the Wine loader for that architecture.
# Under ctest (./tovira test runs several tests at a time) a test that was
# handed display resource <i> gets DISPLAY=$TOVIRA_DISPLAY_<i> and
# WINEPREFIX=$TOVIRA_PREFIX_<i>: its own X server and wineserver.
if [[ "${CTEST_RESOURCE_GROUP_0_DISPLAY:-}" =~ ^id:([0-9]+), ]]; then
  display_var="TOVIRA_DISPLAY_${BASH_REMATCH[1]}" prefix_var="TOVIRA_PREFIX_${BASH_REMATCH[1]}"
  if [ -n "${!display_var:-}" ] && [ -n "${!prefix_var:-}" ]; then
    export DISPLAY="${!display_var}" WINEPREFIX="${!prefix_var}"
  fi
  # Once: a test script that then picks a prefix of its own keeps it for the
  # programs it starts through wine-run.
  unset display_var prefix_var CTEST_RESOURCE_GROUP_0_DISPLAY
fi
# The 32-bit loader is there only where scripts/bootstrap.sh could install the
# 32-bit Wine (the kernel runs 32-bit programs and the mirror served it); with
# the 64-bit Wine alone the 64-bit program is what runs. Before anything is
# installed the shipped architecture is assumed.
if [ -z "${TOVIRA_RUNNABLE_ARCH:-}" ]; then
  if [ -e /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    TOVIRA_RUNNABLE_ARCH=i686
  elif [ -e /usr/lib/wine/wine64 ]; then
    TOVIRA_RUNNABLE_ARCH=x86_64
  else
    TOVIRA_RUNNABLE_ARCH=i686
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
