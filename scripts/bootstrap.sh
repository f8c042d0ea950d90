#!/usr/bin/env bash
# Installs everything the build, run and tests need (Debian packages only).
# Idempotent: when everything is present it only checks and returns.
#
#   scripts/bootstrap.sh                  the build, run and tests
#   scripts/bootstrap.sh --library-tools  only what scripts/make-default-library.sh
#                                         needs (the emoji font, fontTools, ImageMagick);
#                                         the build never needs these
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
deps="$here/.deps"

packages=(
  g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  cmake ninja-build
  wine wine64 fonts-wine fonts-wqy-microhei
  xvfb xdotool xclip x11-utils imagemagick fonts-liberation
  googletest fp-utils libchm-bin unzip dpkg-dev
  clang-14 libclang-rt-14-dev
)

sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
# Waits for another apt-get (or dpkg) to let go of its lock instead of failing.
apt_get() {
  sudo_ env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 \
    -o Acquire::Retries=3 "$@"
}
# apt-get update fails as a whole (exit 100) when one index does not download,
# and a mirror (or a cache in front of it) that is part-way through a sync hands
# out an index whose size or hash does not match its Release file. That mostly
# passes within minutes, so it is tried again after a pause, bypassing caches
# from the second try. It can also last for days (seen with the i386 security
# index): then the install goes on with the indexes that did arrive and fails
# by itself only if it lacks a package.
apt_update() {
  local attempt pause=20 extra=()
  for attempt in 1 2 3; do
    apt_get "${extra[@]}" update -qq && return 0
    [ $attempt = 3 ] && break
    echo "bootstrap: apt-get update failed (try $attempt of 3); trying again in ${pause}s" >&2
    sleep "$pause"
    pause=60
    extra=(-o Acquire::http::No-Cache=true)
  done
  echo "bootstrap: apt-get update still fails; going on with the indexes it has" >&2
}

not_installed() {  # not_installed <package...>: prints those missing, one a line
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

if [ "${1:-}" = --library-tools ]; then
  mapfile -t missing < <(not_installed fonts-noto-color-emoji python3-fonttools imagemagick)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "bootstrap: installing ${missing[*]} for scripts/make-default-library.sh"
    apt_update
    apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  exit 0
fi

# Whether the kernel runs 32-bit x86 programs: a three-instruction program that
# only exits, assembled and linked by the machine's binutils. Without IA-32
# emulation the 32-bit Wine cannot start, so it is not installed at all and the
# 64-bit program is built and tested (scripts/wine-env.sh).
kernel_runs_ia32() {
  command -v as >/dev/null && command -v ld >/dev/null || return 0
  local dir rc=1
  dir=$(mktemp -d)
  if printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' \
       | as --32 -o "$dir/exit.o" - 2>/dev/null &&
     ld -m elf_i386 -o "$dir/exit" "$dir/exit.o" 2>/dev/null; then
    "$dir/exit" 2>/dev/null && rc=0
  fi
  rm -rf "$dir"
  return $rc
}

mapfile -t missing < <(not_installed "${packages[@]}")

need_src=0
[ -f "$deps/libjpeg-turbo/CMakeLists.txt" ] || need_src=1

if [ ${#missing[@]} -gt 0 ] || [ $need_src = 1 ]; then
  echo "bootstrap: installing ${missing[*]:-(sources only)}"
  # Source entry for the libjpeg-turbo source package.
  srcfile=/etc/apt/sources.list.d/tovira-deb-src.sources
  if [ ! -f "$srcfile" ]; then
    sudo_ tee "$srcfile" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  fi
  apt_update
  if [ ${#missing[@]} -gt 0 ]; then
    apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi

# The 32-bit Wine, for the shipped 32-bit program, in a step of its own: it
# needs the i386 architecture's indexes, and a mirror that serves one of them
# broken must not stop the 64-bit build and tests. Where it cannot be
# installed the i386 architecture is taken away again, so that later updates
# do not fetch its indexes, and the 64-bit program is tested instead.
if [ -n "$(not_installed wine32:i386)" ] && kernel_runs_ia32; then
  echo "bootstrap: installing wine32:i386"
  added_i386=0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo_ dpkg --add-architecture i386 && added_i386=1
  fi
  apt_update
  if ! apt_get install -y -qq --no-install-recommends wine32:i386 >/dev/null; then
    echo "bootstrap: WARNING: wine32:i386 could not be installed; the 64-bit program" \
         "is built and tested instead of the 32-bit one" >&2
    if [ $added_i386 = 1 ]; then sudo_ dpkg --remove-architecture i386 || true; fi
  fi
fi

if [ $need_src = 1 ]; then
  rm -rf "$deps/src-tmp" && mkdir -p "$deps/src-tmp"
  (cd "$deps/src-tmp" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
  src=$(find "$deps/src-tmp" -maxdepth 1 -mindepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)
  [ -n "$src" ] || { echo "bootstrap: libjpeg-turbo source not found" >&2; exit 1; }
  rm -rf "$deps/libjpeg-turbo"
  mv "$src" "$deps/libjpeg-turbo"
  rm -rf "$deps/src-tmp"
fi

# A Wine prefix per machine and architecture; no Mono/Gecko installer dialogs.
. "$here/scripts/wine-env.sh"
wine_() { WINEDEBUG=-all "$TOVIRA_WINE" "$@"; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "bootstrap: creating the $TOVIRA_ARCH Wine prefix $WINEPREFIX"
  winearch=win32; [ "$TOVIRA_ARCH" = x86_64 ] && winearch=win64
  WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=$winearch wine_ wineboot -i >/dev/null 2>&1 || true
  # Wine paints window frames and captions itself (no window manager on Xvfb).
  wine_ reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1 || true
  wineserver -w || true
fi

# Fonts the windows ask for. Debian's Wine neither loads the fonts of
# fonts-wine from /usr/share/wine/fonts nor copies them into the prefix, yet
# the prefix's registry names them (sserife.fon for "MS Sans Serif" ...): every
# window falls back to DejaVu Sans and the caption buttons, which draw their
# glyphs with Marlett, show letters ("r" for the close box). Wine does load
# whatever lies in C:\windows\Fonts. Arial, Times New Roman and Courier New
# have no Wine font: Wine's replacement table gives them the metric-compatible
# Liberation faces under their own names.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -f "$fonts/marlett.ttf" ] || ! grep -q '"Arial"="Liberation Sans"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  echo "bootstrap: installing Wine's fonts into $WINEPREFIX"
  mkdir -p "$fonts"
  cp -u /usr/share/wine/fonts/* "$fonts/"
  for pair in "Arial=Liberation Sans" "Times New Roman=Liberation Serif" "Courier New=Liberation Mono"; do
    wine_ reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /t REG_SZ \
      /d "${pair#*=}" /f >/dev/null 2>&1 || true
  done
  wineserver -w || true
fi
