#!/usr/bin/env bash
# The download soak over many seeds: the Downloader of tools/download_soak (its stall bound
# is the build's CUMULO_SOAK_STALL_SECONDS) under wine64 against the fault-drawing server,
# with the soak's checks on every run, then the table: runs per fault kind, outcomes, the
# worst time and the worst ratio of package bytes on the wire.
#   bench/download_soak.sh <win64 build dir> [seeds] [first seed]
set -euo pipefail
. "$(dirname "$0")/bench-session.sh" "$@"
tls="$build/test-session/tls"
python3 "$source_dir/tests/soak/download_soak.py" --tool "$build/tools/download_soak.exe" \
  --port "${CUMULO_SOAK_HOST##*:}" --stall "$CUMULO_SOAK_STALL_SECONDS" \
  --cert "$tls/server.pem" --key "$tls/server.key" \
  --seeds "$runs" --first "${3:-1}" --jobs 3 --out "$out/soak"
