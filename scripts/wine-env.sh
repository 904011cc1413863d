# shellcheck shell=bash
# Sourced by the scripts that run a win64 build under wine outside ctest (demo, bench):
# exports what ctest gives the Windows and end-to-end tiers, read from the env file that
# the build's configure writes (<build>/wine.env, one NAME=value a line; see
# tests/CMakeLists.txt).
#   . scripts/wine-env.sh <win64 build dir>
# DISPLAY is kept when set; otherwise it names the build's test display.

if [ ! -f "${1:?usage: . wine-env.sh <win64 build dir>}/wine.env" ]; then
  echo "wine-env.sh: $1 is not a configured win64 build (no wine.env)" >&2
  return 1
fi
_cumulo_display="${DISPLAY:-}"
while IFS= read -r _cumulo_line; do
  if [ -n "$_cumulo_line" ]; then
    export "${_cumulo_line?}"
  fi
done <"$1/wine.env"
if [ -n "$_cumulo_display" ]; then
  DISPLAY="$_cumulo_display"
fi
unset _cumulo_line _cumulo_display
