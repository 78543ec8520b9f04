#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once optimised, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, each on a virtual X display. The
# optimised run builds the web site and runs its tests in real browsers.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
source scripts/build-env.sh
node tests/web/node-version.cjs
# The browser tests' packages, installed again only when the lockfile differs from the one
# they were last installed from: a second run needs no network.
installed_lock=tests/web/node_modules/.installed-package-lock.json
if ! cmp -s tests/web/package-lock.json "$installed_lock"; then
  npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
  cp tests/web/package-lock.json "$installed_lock"
fi
# -noreset: the server must not restart whenever its last client has gone, or a
# designer started in that moment finds no display.
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" \
  bash -c 'cmake --workflow --preset release && cmake --workflow --preset sanitize'
