# The Debian package: what the designer installs besides its binary, desktop entry and
# icon, and how CPack's DEB generator writes korvath-designer_<version>_amd64.deb into
# the build folder (scripts/package.sh, or the package tests).

set(KORVATH_PACKAGE korvath-designer)
set(KORVATH_APPSTREAM_ID invalid.korvath.designer)
set(KORVATH_MAINTAINER "Korvath Designer developers <korvath-designer@users.noreply.invalid>")
set(KORVATH_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${KORVATH_PACKAGE})

# Debian ships manual pages and changelogs compressed with gzip -9n (no name, no time,
# so that the same page always gives the same bytes). Made when the build is configured,
# again whenever the source changes, so that an install never waits for a build step.
function(korvath_gzip source compressed)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${compressed} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

korvath_gzip(${PROJECT_SOURCE_DIR}/data/${KORVATH_PACKAGE}.6 ${PROJECT_BINARY_DIR}/${KORVATH_PACKAGE}.6.gz)
korvath_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/changelog.gz)

install(FILES ${PROJECT_BINARY_DIR}/${KORVATH_PACKAGE}.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES data/${KORVATH_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${KORVATH_DOC_DIR})

# An install or a package takes what is built and builds nothing: scripts/package.sh
# builds the designer alone, not every test and benchmark.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KORVATH_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/strip.cmake)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive 3D designer of an articulated armoured figure")
set(CPACK_PACKAGE_DESCRIPTION "Korvath Designer draws one articulated armoured figure in 3D, every frame,
in a window of its own. You paint its six paint slots from an eleven-paint
palette, one paint of which you mix from the keyboard; arm each hand with a
bolter, a bolt pistol or a knife; pose its head, body, arms and legs in
5-degree steps; orbit the camera round it by dragging with the mouse; and can
switch on an idle animation in which the head and arms sway by themselves.

It draws with OpenGL's fixed-function pipeline through freeglut and GLU, and
needs an X display with OpenGL; Mesa's software renderer will do.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KORVATH_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # the dependencies, as dpkg-shlibdeps reads them off the binary
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
