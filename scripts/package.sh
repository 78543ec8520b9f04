#!/usr/bin/env bash
# Installs what is missing, builds the designer optimised and writes its Debian package,
# build/release/korvath-designer_<version>_amd64.deb, with CPack's DEB generator.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target korvath-designer
cpack --config build/release/CPackConfig.cmake
