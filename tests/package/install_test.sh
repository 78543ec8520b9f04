#!/usr/bin/env bash
# Installs the built package as a user would (apt-get install ./….deb), starts the
# installed designer on the X display and waits for its 700 by 700 window and its first
# frame, then removes the package and checks that none of its files is left. Whatever
# happens, it leaves the machine as it found it: the designer stopped, the package and
# anything apt-get brought in for it removed. Needs root (or sudo) and $DISPLAY.
#   install_test.sh DEB
set -euo pipefail

package=korvath-designer
deb=$(realpath "$1")
binary=/usr/bin/$package
frame_wait_seconds=20

work=$(mktemp -d)
designer=""
sudo=()
if ((EUID != 0)); then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

fail() {
  echo "install test: $*" >&2
  exit 1
}

installed_packages() {
  dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' | awk '$1 == "ii" { print $2 }' | sort
}

is_installed() {
  [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null) == ii* ]]
}

# On every way out: the designer stopped, the package gone, and with it whatever
# apt-get installed for it that was not installed before.
clean_up() {
  if [[ -n "$designer" ]] && kill -0 "$designer" 2>/dev/null; then
    kill "$designer" 2>/dev/null || true
    wait "$designer" 2>/dev/null || true
  fi
  if is_installed; then
    "${sudo[@]}" apt-get remove -y -qq "$package" >/dev/null || true
  fi
  if [[ -f "$work/before" ]]; then
    local added
    added=$(comm -13 "$work/before" <(installed_packages))
    # shellcheck disable=SC2086 # one word per package
    if [[ -n "$added" ]]; then "${sudo[@]}" apt-get purge -y -qq $added >/dev/null || true; fi
  fi
  rm -rf "$work"
}
trap clean_up EXIT

# The package's own files (not the folders it shares with others), absolute.
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\.||' >"$work/files"

# Touch nothing on a machine where the package or any of its files is already there.
if is_installed; then fail "$package is already installed; remove it first"; fi
while read -r file; do
  [[ ! -e "$file" ]] || fail "$file already exists; this test would remove it"
done <"$work/files"
[[ -n "${DISPLAY:-}" ]] || fail "no X display (DISPLAY is not set)"
installed_packages >"$work/before"

"${sudo[@]}" apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install failed"; }
is_installed || fail "apt-get install left $package not installed"
while read -r file; do
  [[ -f "$file" ]] || fail "$file was not installed"
done <"$work/files"

# The installed designer: its window, then a frame presented in it, on white.
"$binary" >"$work/designer.log" 2>&1 &
designer=$!
window=$(timeout "$frame_wait_seconds" xdotool search --sync --onlyvisible --name '^Korvath Designer$' | head -n 1) ||
  fail "no window from $binary: $(cat "$work/designer.log")"
geometry=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[[ "$geometry" == 700x700 ]] || fail "the window is $geometry, not 700x700"
presented=""
for ((try = 0; try < frame_wait_seconds * 2; ++try)); do
  import -silent -window "$window" "$work/frame.png"
  # A frame: the corners cleared to white and a figure in the middle, which is not.
  corner=$(convert "$work/frame.png" -format '%[pixel:p{3,3}]' info:)
  brightness=$(convert "$work/frame.png" -colorspace Gray -format '%[fx:int(100*mean)]' info:)
  if [[ "$corner" == white || "$corner" == "srgb(255,255,255)" ]] && ((brightness < 97)); then
    presented=yes
    break
  fi
  sleep 0.5
done
[[ -n "$presented" ]] || fail "no frame presented in ${frame_wait_seconds} s (corner $corner, brightness $brightness%)"
kill -0 "$designer" 2>/dev/null || fail "$binary stopped: $(cat "$work/designer.log")"
kill "$designer"
wait "$designer" 2>/dev/null || true
designer=""

"${sudo[@]}" apt-get remove -y -qq "$package" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get remove failed"; }
if dpkg-query -W "$package" >/dev/null 2>&1 && [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$package") != un* ]]; then
  fail "apt-get remove left $package in dpkg's records as $(dpkg-query -W -f='${db:Status-Abbrev}' "$package")"
fi
while read -r file; do
  [[ ! -e "$file" ]] || fail "apt-get remove left $file behind"
done <"$work/files"
[[ ! -e /usr/share/doc/$package ]] || fail "apt-get remove left /usr/share/doc/$package behind"
echo "install test: installed, opened a 700x700 window, presented a frame, removed without a trace"
