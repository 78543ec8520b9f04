#!/usr/bin/env bash
# The Debian package and its metadata, checked by Debian's own tools. One check per call,
# each a CTest test (tests/package/CMakeLists.txt):
#   package_test.sh desktop|appstream|manual SOURCE_DIR
#   package_test.sh contents|lintian|install DEB SOURCE_DIR
# Every check fails on a warning as well as on an error. `install` installs the package
# on this machine, so it runs only in CI (CI=true) or with KORVATH_PACKAGE_TEST=1, and
# otherwise exits with 77, which CTest shows as skipped.
set -euo pipefail

package=korvath-designer
appstream_id=invalid.korvath.designer
skipped=77

fail() {
  echo "package test: $*" >&2
  exit 1
}

# Runs a validator and fails if it fails or says anything at all on standard error.
quiet() {
  local errors
  errors=$(mktemp)
  if ! "$@" 2>"$errors" >/dev/null || [[ -s "$errors" ]]; then
    cat "$errors" >&2
    rm -f "$errors"
    fail "$1 found fault"
  fi
  rm -f "$errors"
}

check_desktop() {
  local output
  output=$(desktop-file-validate "$1/data/$package.desktop") || { echo "$output"; fail "invalid desktop entry"; }
  [[ -z "$output" ]] || { echo "$output"; fail "desktop-file-validate warns"; }
}

# AppStream's notes come as errors (E:), warnings (W:), infos (I:) and pedantic hints.
# One info is expected: the identifier's "invalid" top-level name is not a known one.
check_appstream() {
  local output
  output=$(appstreamcli validate --no-net --no-color "$1/data/$appstream_id.metainfo.xml") ||
    { echo "$output"; fail "invalid AppStream metadata"; }
  echo "$output"
  if grep -E '^[EW]:' <<<"$output"; then fail "appstreamcli warns"; fi
}

check_manual() {
  local page=$1/data/$package.6
  quiet groff -ww -man -Tutf8 "$page"
  LC_ALL=C.UTF-8 MANWIDTH=80 quiet man --warnings -E UTF-8 -l "$page"
  [[ $(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | grep -c -E '^(CONTROLS|MENU|IDLE ANIMATION)$') == 3 ]] ||
    fail "the manual page lacks its controls, menu or idle animation"
}

# The files a user gets, where Debian expects them.
expected_files() {
  cat <<EOF
./usr/bin/$package
./usr/share/applications/$package.desktop
./usr/share/doc/$package/changelog.gz
./usr/share/doc/$package/copyright
./usr/share/icons/hicolor/256x256/apps/$package.png
./usr/share/man/man6/$package.6.gz
./usr/share/metainfo/$appstream_id.metainfo.xml
EOF
}

package_files() {
  dpkg-deb --fsys-tarfile "$1" | tar -t | grep -v '/$'
}

check_contents() {
  local deb=$1 source=$2 field
  diff <(expected_files) <(package_files "$deb") || fail "the package's files differ from the expected (<) ones"
  for field in "Package: $package" "Version: 1.0.0" "Architecture: amd64" "Section: graphics"; do
    dpkg-deb --field "$deb" | grep -qx "$field" || fail "no control field $field"
  done
  # Read off the binary by dpkg-shlibdeps: freeglut, GLU and the C library at least.
  local depends
  depends=$(dpkg-deb --field "$deb" Depends)
  for library in libglut libglu1 libc6; do
    grep -q "$library" <<<"$depends" || fail "Depends ($depends) lacks $library"
  done
  dpkg-deb --field "$deb" Description | sed -n 2p | grep -q . || fail "no long description"
  # The icon's directory names its real size.
  local size
  size=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/icons/hicolor/256x256/apps/$package.png" |
    identify -format '%wx%h' -)
  [[ "$size" == 256x256 ]] || fail "the icon is $size, in the 256x256 folder"
  # The manual page is the one in the tree.
  cmp <(dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/man/man6/$package.6.gz" | gunzip) \
    "$source/data/$package.6" || fail "the packaged manual page is not data/$package.6"
}

check_lintian() {
  lintian --fail-on error,warning --info --display-info "$1"
}

case "${1:-}" in
desktop) check_desktop "$2" ;;
appstream) check_appstream "$2" ;;
manual) check_manual "$2" ;;
contents) check_contents "$2" "$3" ;;
lintian) check_lintian "$2" ;;
install)
  if [[ "${CI:-}" != true && "${KORVATH_PACKAGE_TEST:-}" != 1 ]]; then
    echo "package test: install skipped: it installs and removes $package on this machine," \
      "so it runs only in CI (CI=true) or with KORVATH_PACKAGE_TEST=1"
    exit "$skipped"
  fi
  exec "$(dirname "$0")/install_test.sh" "$2"
  ;;
*) fail "unknown check '${1:-}'" ;;
esac
