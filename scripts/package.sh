#!/usr/bin/env bash
# Installs what is missing, builds the designer optimised and writes its Debian package,
# build/release/korvath-designer_<version>_amd64.deb, with CPack's DEB generator.
# Its times are the last commit's and its modes do not depend on the umask
# (scripts/build-env.sh), so a rebuild of the same commit gives the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
source scripts/build-env.sh
cmake --preset release >/dev/null
cmake --build --preset release --target korvath-designer
cpack --config build/release/CPackConfig.cmake
