#!/usr/bin/env bash
# Installs the Debian 12 packages the designer and its tests need, and only those missing.
# Runs as root, or through sudo when started by another user.
set -euo pipefail

packages=(
  g++ cmake make                          # compiler and build
  freeglut3-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri  # freeglut, GLU and Mesa (llvmpipe)
  googletest libgtest-dev libgmock-dev libbenchmark-dev      # tests and benchmarks
  xvfb xauth x11-utils xdotool imagemagick                   # a virtual display, real input, screenshots
  dpkg-dev file lintian desktop-file-utils appstream groff-base man-db  # the Debian package and its checks
  valgrind                                                   # the bench's instruction counts
  emscripten chromium python3                                # the web build, its browser tests, its server
  firefox-esr webkit2gtk-driver                              # the page in Firefox and in WebKit (MiniBrowser)
  orca at-spi2-core dbus dbus-x11 python3-pyatspi            # the page heard by a screen reader, on a bus of its own
)

missing=()
# Node.js and npm drive the browser tests: Node.js 18 or later, the first node on the PATH.
command -v node >/dev/null && command -v npm >/dev/null || missing+=(nodejs npm)
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: every package is already installed"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if ((EUID != 0)); then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
