#!/usr/bin/env bash
# Builds the native benchmarks and the web build, then measures in one run the native
# designer frame under Xvfb and the web build's frame in headless Chromium, and prints
# their ratio, the site's size and where the web frame's time goes;
# what the page costs left alone and with idle on (bench/still.mjs), and its mobile audit
# (bench/audit.mjs); and how long the page takes to start, beside the native window and a
# page that only makes a WebGL context (bench/startup.mjs). With KORVATH_BEFORE_SITE set to
# another build's site, still.mjs and audit.mjs measure that site too, as before beside after.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release --target korvath-bench >/dev/null
scripts/web.sh --build >/dev/null
[[ -d tests/web/node_modules ]] || npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
[[ -d bench/node_modules ]] || PUPPETEER_SKIP_DOWNLOAD=1 npm ci --prefix bench --no-audit --no-fund --loglevel=error
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
KORVATH_SITE=build/web/site KORVATH_BENCH=build/release/bench/korvath-bench node bench/web.mjs
xvfb-run -a -s "-screen 0 1920x1200x24" env KORVATH_SITE=build/web/site KORVATH_BENCH=build/release/bench/korvath-bench node bench/engines.mjs
KORVATH_SITE=build/web/site node bench/tab_copy.mjs
KORVATH_SITE=build/web/site KORVATH_BENCH=build/release/bench/korvath-bench node bench/still.mjs
KORVATH_SITE=build/web/site node bench/audit.mjs
xvfb-run -a -s "-screen 0 1920x1200x24" env KORVATH_SITE=build/web/site KORVATH_BENCH=build/release/bench/korvath-bench node bench/startup.mjs
