# What `cmake --install` lays out and what CPack packs into the .deb, in Debian's
# games layout: the executable in games/, its data in share/games/torquewind/
# (the game finds that folder from its own, so the prefix can be anything), and
# the launcher, icons, software-centre metadata and manual page where desktops
# and tools look for them.
set(TW_APP_ID "io.github.torquewind.Torquewind" CACHE STRING
    "Reverse-DNS id of the launcher and the AppStream metadata")
set(TW_LICENSE "LicenseRef-proprietary" CACHE STRING
    "SPDX licence expression of the game, for the AppStream metadata")
# The project has no web site or mailing address of its own yet: these stand in
# until it does, and a distribution sets its own when it builds the package.
set(TW_HOMEPAGE "https://torquewind.github.io/" CACHE STRING "The game's home page")
set(TW_MAINTAINER "Torquewind developers <torquewind@localhost>" CACHE STRING
    "Maintainer field of the Debian package")
# Software centres fetch the metadata's pictures from here: publish the ones the
# tests leave in <build>/screenshots (game_race.png, installed_title.png).
set(TW_SCREENSHOT_URL "https://torquewind.github.io/screenshots" CACHE STRING
    "Folder on the web holding the game's screenshots")
# The date of the release named by PROJECT_VERSION; fixed, so builds are reproducible.
set(TW_RELEASE_DATE "2026-12-06")

# Packaging and installing copy what the build made and never start a build of their
# own (the package check runs among the tests, beside other builds).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(TW_DIST ${CMAKE_SOURCE_DIR}/dist)
configure_file(${TW_DIST}/torquewind.desktop ${CMAKE_BINARY_DIR}/dist/${TW_APP_ID}.desktop COPYONLY)
configure_file(${TW_DIST}/torquewind.metainfo.xml.in ${CMAKE_BINARY_DIR}/dist/${TW_APP_ID}.metainfo.xml @ONLY)
configure_file(${TW_DIST}/torquewind.6 ${CMAKE_BINARY_DIR}/dist/torquewind.6 @ONLY)
# Debian ships manual pages compressed; -n keeps the time stamp out of the bytes.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/torquewind.6.gz
  COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/dist/torquewind.6
  DEPENDS ${CMAKE_BINARY_DIR}/dist/torquewind.6
  VERBATIM)
add_custom_target(manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/dist/torquewind.6.gz)

install(TARGETS torquewind RUNTIME DESTINATION games)
# The icons are generated with the assets but belong to the desktop's theme.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/assets/ DESTINATION share/games/torquewind
  PATTERN icons EXCLUDE
  PATTERN generated.stamp EXCLUDE)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/assets/icons/ DESTINATION share/icons)
install(FILES ${CMAKE_BINARY_DIR}/dist/${TW_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${CMAKE_BINARY_DIR}/dist/${TW_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/dist/torquewind.6.gz DESTINATION share/man/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torquewind)
set(CPACK_PACKAGE_VENDOR "Torquewind developers")
set(CPACK_PACKAGE_CONTACT ${TW_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "split-screen kart racing for two players on one keyboard")
set(CPACK_PACKAGE_DESCRIPTION
    "Two players share one keyboard and race karts around an island circuit,\n"
    "one in the top half of the window and one in the bottom half: a countdown,\n"
    "checkpoints and three laps, boosts, hops, respawns, 3D sound, shadows and\n"
    "baked lighting.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TW_HOMEPAGE})
# The package's dependencies are the packages of the shared libraries it links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# gzip: xz makes the package a little smaller but takes several times as long.
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
include(CPack)
