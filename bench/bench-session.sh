# shellcheck shell=bash
# Sourced by the shell benchmarks: takes <win64 build dir> [runs], sets build, runs,
# source_dir and a scratch folder out, and runs a wine session for that build (prefix,
# test CA, fixture servers) until the benchmark exits.
#   . "$(dirname "$0")/bench-session.sh" "$@"
build="$(cd "${1:?usage: $(basename "$0") <win64 build dir> [runs]}" && pwd)"
runs="${2:-5}"
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The benchmarks open no window of the user's: always the session's display.
unset DISPLAY
# shellcheck source=SCRIPTDIR/../scripts/wine-env.sh
. "$source_dir/scripts/wine-env.sh" "$build"
session="$source_dir/tests/harness/wine-session"
"$session" start >/dev/null
out="$(mktemp -d)"
trap '"$session" stop >/dev/null; rm -rf "$out"' EXIT
