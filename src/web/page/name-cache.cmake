# Writes the site's service worker from service-worker.js.in: the site's files with the
# digest of each, and a cache name made from their names and content. Any file that differs
# gives another name, so every build's worker differs from the one before. Runs once the rest
# of the site is in place, on any site folder:
#   cmake -DSITE=<site folder> -P src/web/page/name-cache.cmake
set(worker service-worker.js)
if(NOT IS_DIRECTORY "${SITE}")
  message(FATAL_ERROR "name-cache: no site folder '${SITE}'; give it with -DSITE=<folder>")
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${SITE}" "${SITE}/*")
list(REMOVE_ITEM files ${worker})
list(SORT files)

set(digests "")
set(entries "")
foreach(file IN LISTS files)
  file(SHA256 "${SITE}/${file}" digest)
  string(APPEND digests "${digest}  ${file}\n")
  list(APPEND entries "'${file}': '${digest}'")
endforeach()
string(SHA256 BUILD "${digests}")

# The worker knows each file by its digest: a copy in the browser's cache that has this
# build's content is taken as it is.
list(JOIN entries ",\n  " SITE_FILES)
file(READ "${CMAKE_CURRENT_LIST_DIR}/${worker}.in" template)
string(CONFIGURE "${template}" content @ONLY)
# Written every time, so that the build sees it newer than what it was made from.
file(WRITE "${SITE}/${worker}" "${content}")
