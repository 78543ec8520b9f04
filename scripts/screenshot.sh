#!/usr/bin/env bash
# Renders the README's screenshot and the desktop icon from the real designer,
# started on a virtual display: docs/screenshot.png and data/korvath-designer.png.
set -euo pipefail
cd "$(dirname "$0")/.."

# On the virtual display: start the designer, wait for its window, take the picture.
if [[ "${1:-}" == --capture ]]; then
  build/release/korvath-designer & designer=$!
  trap 'kill $designer 2>/dev/null || true' EXIT
  window=$(xdotool search --sync --onlyvisible --name '^Korvath Designer$' | head -n 1)
  xdotool windowmove --sync "$window" 0 0  # no window manager places it
  sleep 1
  import -silent -window "$window" docs/screenshot.png
  exit 0
fi

scripts/install-deps.sh >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release --target korvath-designer >/dev/null
xvfb-run -a -s "-screen 0 1024x768x24" "$0" --capture

# The icon: the figure's head and shoulders, square, on the white background.
convert docs/screenshot.png -crop 300x300+200+110 +repage -resize 256x256 data/korvath-designer.png
echo "wrote docs/screenshot.png and data/korvath-designer.png"
