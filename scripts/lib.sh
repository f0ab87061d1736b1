# Shared by the scripts: the repository root and the Debian packages.
ZK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Installs the named Debian packages that are missing (only as root).
zk_ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing Debian packages: ${missing[*]} (install them as root)" >&2
    return 1
  fi
  echo "installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

ZK_BUILD_PACKAGES=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev libpng-dev libcairo2-dev pkg-config unifont opencc libopencc-data
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
  binutils-mingw-w64-i686)
ZK_TEST_PACKAGES=(wine wine64 xvfb imagemagick cups cups-client ghostscript
  nsis zip unzip dpkg-dev lintian man-db xdotool)
ZK_RUN_PACKAGES=(wine wine64 xvfb xdotool imagemagick)
ZK_BENCH_PACKAGES=(hyperfine)
ZK_PACKAGE_PACKAGES=(nsis zip dpkg-dev binutils-mingw-w64-x86-64)
ZK_PACKAGE_TEST_PACKAGES=(lintian man-db unzip wine wine64 xvfb xdotool imagemagick)

# A private, throw-away Wine prefix: no user's settings are touched.
zk_wine_env() {
  export WINEDEBUG=-all
  # File names in any script are part of what the tests prove.
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX
  WINEPREFIX=$(mktemp -d /tmp/zk-wine.XXXXXX)
}

# With no window manager on the private X server, a window Wine leaves to
# one waits two seconds for it at every hide: Wine places them itself.
zk_wine_unmanaged() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
}

zk_wine_cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
}

ZK_SANITIZE_PACKAGES=(clang-14 libclang-rt-14-dev llvm-14)

# The native tree built with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, with the fuzz targets: build/sanitize.
zk_build_sanitized() {
  zk_ensure_packages "${ZK_SANITIZE_PACKAGES[@]}" || return 1
  (cd "$ZK_ROOT" &&
    { [ -f build/sanitize/build.ninja ] ||
      cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
        -DZK_SANITIZE=ON -DZK_FUZZ=ON -DZK_BUILD_BENCH=OFF >/dev/null; } &&
    cmake --build build/sanitize -j "${ZK_JOBS:-2}")
}

# A private X display for the Windows programs when there is none: sets
# DISPLAY and ZK_XVFB_PID. Screen 1280 x 1024, 24 bits.
zk_start_xvfb() {
  local fifo
  fifo=$(mktemp -u /tmp/zk-xvfb.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  ZK_XVFB_PID=$!
  local number
  read -r -t 30 number <"$fifo" || number=""
  rm -f "$fifo"
  if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$number"
}

zk_stop_xvfb() {
  if [ -n "${ZK_XVFB_PID:-}" ]; then
    kill "$ZK_XVFB_PID" 2>/dev/null || true
    wait "$ZK_XVFB_PID" 2>/dev/null || true
    ZK_XVFB_PID=""
  fi
}
