#!/usr/bin/env bash
# Renders, from the real designer started on a virtual display, the README's screenshot and the
# desktop icon (docs/screenshot.png, data/korvath-designer.png), and the page's picture of the
# start: the designer's first frame at 700 and 1400 pixels square, the picture's largest size
# at 1 and 2 device pixels a CSS pixel, as the web tests' reference window presents it
# (src/web/page/start-700.png, start-1400.png).
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
cmake --build --preset release --target korvath-designer web_reference >/dev/null
xvfb-run -a -s "-screen 0 1024x768x24" "$0" --capture

# The icon: the figure's head and shoulders, square, on the white background.
convert docs/screenshot.png -crop 300x300+200+110 +repage -resize 256x256 data/korvath-designer.png

# The start's picture, in 256 colours (a few pixels move by at most 17 levels of 255, well
# within the web tests' tolerance, at half the bytes), without PNG's date and time chunks, so
# that every run writes the same bytes from the same frame.
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
for size in 700 1400; do
  xvfb-run -a -s "-screen 0 1920x1200x24" build/release/tests/web_reference frame "$frames/start.ppm" --size "$size"
  convert "$frames/start.ppm" +dither -colors 256 -strip -define png:exclude-chunks=date,time \
    "src/web/page/start-$size.png"
done
echo "wrote docs/screenshot.png, data/korvath-designer.png and src/web/page/start-700.png, start-1400.png"
