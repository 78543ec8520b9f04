#!/usr/bin/env bash
# Builds the committed tree twice, as scripts/package.sh and scripts/web.sh --build build
# it, in two fresh copies at different paths, at different moments and under different
# umasks, and checks that the Debian package and every file of the web site come out byte
# for byte the same. Prints the checksums of both builds. Builds only the designer, the
# package and the site, none of the tests. It takes a minute or two, so it runs only in CI
# (CI=true) or with KORVATH_RELEASE_TEST=1, and otherwise exits with 77, which CTest shows
# as skipped.
#   reproducible_test.sh SOURCE_DIR
set -euo pipefail

source=$(realpath "$1")
deb=korvath-designer_1.0.0_amd64.deb
skipped=77

fail() {
  echo "reproducible test: $*" >&2
  exit 1
}

if [[ "${CI:-}" != true && "${KORVATH_RELEASE_TEST:-}" != 1 ]]; then
  echo "reproducible test: skipped: it builds the release twice, so it runs only in CI" \
    "(CI=true) or with KORVATH_RELEASE_TEST=1"
  exit "$skipped"
fi

commit=$(git -C "$source" rev-parse --verify HEAD) || fail "$source has no git history to build from"
if [[ -n $(git -C "$source" status --porcelain --untracked-files=no) ]]; then
  echo "reproducible test: note: the uncommitted changes in $source are not built; commit $commit is"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A fresh clone of the commit at PATH, made and built there under UMASK without
# SOURCE_DATE_EPOCH, so that the scripts take the time from the commit as they do for anyone
# rebuilding a release. Writes "checksum  file" for the package and every file of the site
# to PATH.sums.
build_copy() {
  local copy=$1
  umask "$2"
  git clone --quiet --shared --no-checkout "$source" "$copy"
  git -C "$copy" checkout --quiet --detach "$commit"
  if ! (cd "$copy" && env -u SOURCE_DATE_EPOCH scripts/package.sh &&
    env -u SOURCE_DATE_EPOCH scripts/web.sh --build) >"$copy.log" 2>&1; then
    cat "$copy.log" >&2
    fail "the build in $copy failed"
  fi
  (cd "$copy/build/release" && sha256sum "$deb") >"$copy.sums"
  (cd "$copy/build/web" && find site -type f -print0 | sort -z | xargs -0 -r sha256sum) >>"$copy.sums"
}

# The .deb's members and the files packed in it, with their times, sizes and modes.
archive_listing() {
  ar tv "$1/build/release/$deb"
  dpkg-deb --fsys-tarfile "$1/build/release/$deb" | tar -tv --full-time
}

# Different lengths as well as different names: a path that leaks in shifts what follows it.
first=$work/first
second=$work/second/a-longer-folder-name
mkdir -p "$(dirname "$second")"
(build_copy "$first" 022)
sleep 1  # a later second, whatever the clock's resolution in the archives
(build_copy "$second" 027)

echo "reproducible test: commit $commit, built in $first:"
cat "$first.sums"
echo "reproducible test: built again in $second:"
cat "$second.sums"
grep -q '  site/index\.html$' "$first.sums" || fail "the web site has no index.html"
if ! diff "$first.sums" "$second.sums"; then
  if ! cmp -s "$first/build/release/$deb" "$second/build/release/$deb"; then
    echo "where the packages' archive listings differ (times, sizes, modes):"
    diff <(archive_listing "$first") <(archive_listing "$second") || true
  fi
  fail "two builds of $commit differ (lines < first, > second)"
fi
echo "reproducible test: both builds are byte for byte the same"
