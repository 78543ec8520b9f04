# Sourced by the build scripts: every time a build writes into what it makes (the Debian
# package's file and archive times) is the last commit's, so that two builds of one commit
# give the same bytes. A SOURCE_DATE_EPOCH already set is kept; outside a git checkout it
# must be set.
if [[ -z "${SOURCE_DATE_EPOCH:-}" ]]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct) ||
    { echo "$(basename "$0"): no git history here; set SOURCE_DATE_EPOCH to the release's time" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH
