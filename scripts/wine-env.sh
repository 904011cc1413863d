# shellcheck shell=bash
# Sourced by the scripts that run a win64 build under wine outside ctest (demo, bench):
# exports what ctest gives the Windows and end-to-end tiers (see tests/CMakeLists.txt),
# taken from that build's CMake cache, and defines cache NAME for further values.
#   . scripts/wine-env.sh <win64 build dir>
# DISPLAY is kept when set; otherwise it names the build's test display.

if [ ! -f "${1:?usage: . wine-env.sh <win64 build dir>}/CMakeCache.txt" ]; then
  echo "wine-env.sh: $1 is not a configured build (no CMakeCache.txt)" >&2
  return 1
fi
CUMULO_BUILD_DIR="$(cd "$1" && pwd)"
CUMULO_SOURCE_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export CUMULO_BUILD_DIR CUMULO_SOURCE_DIR

cache() { sed -n "s/^$1:[A-Z]*=//p" "$CUMULO_BUILD_DIR/CMakeCache.txt"; }

export WINEPREFIX="$CUMULO_BUILD_DIR/wineprefix" WINEDEBUG=-all
DISPLAY="${DISPLAY:-:$(cache CUMULO_TEST_DISPLAY)}"
CUMULO_DIST_HOST="$(cache CUMULO_DIST_HOST)"
CUMULO_STAT_HOST="$(cache CUMULO_STAT_HOST)"
CUMULO_TERMS_HOST="$(cache CUMULO_TERMS_HOST)"
CUMULO_NGINX_HOST="$(cache CUMULO_NGINX_HOST)"
CUMULO_PACKAGE_PUBLISHER="$(cache CUMULO_PACKAGE_PUBLISHER)"
export DISPLAY CUMULO_DIST_HOST CUMULO_STAT_HOST CUMULO_TERMS_HOST CUMULO_NGINX_HOST
export CUMULO_PACKAGE_PUBLISHER
CUMULO_PROXY_HOST="$(cache CUMULO_PROXY_HOST)"
CUMULO_SOAK_HOST="$(cache CUMULO_SOAK_HOST)"
CUMULO_SOAK_STALL_SECONDS="$(cache CUMULO_SOAK_STALL_SECONDS)"
export CUMULO_PROXY_HOST CUMULO_SOAK_HOST CUMULO_SOAK_STALL_SECONDS
export CUMULO_INSTALLER="$CUMULO_BUILD_DIR/CumuloInstaller.exe"
export CUMULO_TOOLS_DIR="$CUMULO_BUILD_DIR/tools"
