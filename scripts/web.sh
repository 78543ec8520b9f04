#!/usr/bin/env bash
# Installs what is missing, builds the designer for a browser (build/web/site/) and serves
# that folder on http://127.0.0.1:${PORT:-8080}/. With --build it only builds.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh >/dev/null
source scripts/build-env.sh
# Debian's compiler runs its tools with the system's node, which must find Debian's modules.
export NODE_PATH=/usr/share/nodejs
cmake --preset web >/dev/null
cmake --build --preset web
[[ "${1:-}" == --build ]] && exit 0

port=${PORT:-8080}
echo "web: serving the designer on http://127.0.0.1:${port}/ (Ctrl-C stops)"
cd build/web/site
exec python3 -m http.server "$port" --bind 127.0.0.1
