#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once optimised, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, each on a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
xvfb-run -a -s "-screen 0 1920x1200x24" \
  bash -c 'cmake --workflow --preset release && cmake --workflow --preset sanitize'
