#!/usr/bin/env bash
# Installs what is missing, builds the designer and starts it on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target korvath-designer
if [[ -z "${DISPLAY:-}" ]]; then
  echo "designer: no display (DISPLAY is not set); try: xvfb-run -a scripts/designer.sh" >&2
  exit 1
fi
exec build/release/korvath-designer
