# Shared by the scripts: where things are, and the Wine/Xvfb environment.
# Source it; it defines functions and sets nothing else until they are called.

pivola_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# True when this machine executes 32-bit x86 programs natively. Some kernels
# here refuse them ("Exec format error"); 32-bit Wine cannot run there, and
# running it through a user-mode emulator proved slow and unreliable.
pivola_runs_32bit() {
  [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && /lib/ld-linux.so.2 --help >/dev/null 2>&1
}

# Wine: one private prefix under build/, quiet, Japanese locale (code page
# 932). It is a 64-bit prefix with its 32-bit side (WoW64) where the machine
# runs 32-bit code, so 64-bit and 32-bit programs share it:
# `pivola_wine_env 32` picks the 32-bit loader, `pivola_wine_env 64` the
# 64-bit one. Made on first use and reused.
pivola_wine_env() {
  local bits=${1:-32}
  export WINEPREFIX="$pivola_root/build/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LC_ALL=ja_JP.UTF-8
  export LANG=ja_JP.UTF-8
  unset LANGUAGE
  export WINESERVER=/usr/lib/wine/wineserver64
  export WINELOADER=/usr/lib/wine/wine64
  if [ "$bits" = 64 ]; then
    pivola_wine=/usr/lib/wine/wine64
  else
    pivola_wine=/usr/lib/wine/wine
  fi
  if [ ! -f "$WINEPREFIX/.update-timestamp" ]; then
    echo "wine: creating the prefix $WINEPREFIX (first use only)" >&2
    mkdir -p "$WINEPREFIX"
    /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1 || true
    "$WINESERVER" -w 2>/dev/null || true
  fi
}

# Starts the prefix's wineserver for the whole run and brings up Wine's own
# services once, with their output detached: a service started by a test
# program would otherwise inherit the test's output pipe and keep a test
# runner waiting for it to close. Later program starts are faster too.
pivola_wine_start() {
  "$WINESERVER" -p
  "$pivola_wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Stops the prefix's wineserver, so that the next run starts with this locale.
pivola_wine_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    "${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
  fi
}

# Starts a private Xvfb and exports DISPLAY; pivola_xvfb_stop ends it.
pivola_xvfb_start() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
  pivola_xvfb_pid=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    sleep 0.05
  done
  if [ ! -s "$fdfile" ]; then
    echo "Xvfb did not start" >&2
    rm -f "$fdfile"
    return 1
  fi
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
}

pivola_xvfb_stop() {
  if [ -n "${pivola_xvfb_pid:-}" ]; then
    kill "$pivola_xvfb_pid" 2>/dev/null || true
    wait "$pivola_xvfb_pid" 2>/dev/null || true
    pivola_xvfb_pid=
  fi
}

# Configures (if needed) and builds one preset.
pivola_build_preset() {
  local preset=$1
  local dir="$pivola_root/build/$preset"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake --preset "$preset" -S "$pivola_root" >/dev/null
  fi
  cmake --build "$dir" -j "$(nproc)"
}
