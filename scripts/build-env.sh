# shellcheck shell=bash
# Sourced by the build scripts: what two builds of one commit on two machines must share to
# give the same bytes, besides the tree and the tools.
# The time: every time a build writes into what it makes (the Debian package's file and
# archive times) is the last commit's. A SOURCE_DATE_EPOCH already set is kept; outside a
# git checkout it must be set.
if [[ -z "${SOURCE_DATE_EPOCH:-}" ]]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct) ||
    { echo "$(basename "$0"): no git history here; set SOURCE_DATE_EPOCH to the release's time" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH
# The modes: CPack packs the folders the install makes and the archives it writes with the
# modes they get under the umask; with 027 the package's folders would be readable by root alone.
umask 022
