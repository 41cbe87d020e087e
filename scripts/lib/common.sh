# Shared by the scripts: where things are, and the Wine/Xvfb environment.
# Source it; it defines functions and sets nothing else until they are called.

pivola_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Wine: a private prefix under build/ per architecture (32 or 64), quiet,
# Japanese locale (code page 932). The 64-bit wineserver serves both, so that
# where 32-bit programs run under emulation the server at least runs natively.
pivola_wine_env() {
  local bits=${1:-32}
  export WINEPREFIX="$pivola_root/build/wineprefix$bits"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LC_ALL=ja_JP.UTF-8
  export LANG=ja_JP.UTF-8
  unset LANGUAGE
  export WINESERVER=/usr/lib/wine/wineserver64
  if [ "$bits" = 64 ]; then
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    pivola_wine=/usr/lib/wine/wine64
  else
    export WINEARCH=win32
    export WINELOADER=/usr/lib/wine/wine
    pivola_wine=/usr/lib/wine/wine
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating the prefix $WINEPREFIX (first use only)" >&2
    mkdir -p "$WINEPREFIX"
    "$pivola_wine" wineboot -i >/dev/null 2>&1 || true
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
