#!/usr/bin/env bash
# Installs what is missing, builds the designer optimised and writes its Debian package,
# build/release/korvath-designer_<version>_amd64.deb, with CPack's DEB generator.
# Every time in it is the last commit's (SOURCE_DATE_EPOCH), so a rebuild of the same
# commit gives the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
source scripts/source-date.sh
cmake --preset release >/dev/null
cmake --build --preset release --target korvath-designer
cpack --config build/release/CPackConfig.cmake
