#!/usr/bin/env bash
# Sets up (installing missing packages), builds and starts Corvantine. Without a display
# it starts the program in a virtual X server (Xvfb).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/setup.sh" "$here/build"
program="$here/build/bin/corvantine"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Corvantine under Xvfb."
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$program" "$@"
fi
exec "$program" "$@"
