# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in the build folder.  Its dependencies
# come from dpkg-shlibdeps, so only the libraries the installed files link
# are named; the tools the tests use are not among them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellavan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pellavan developers")
set(CPACK_PACKAGE_CONTACT "The Pellavan developers <support@pellavan.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert video DVD titles into MP4 and WMV files")
# CPack puts the summary first and indents these lines as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Pellavan turns the titles and chapters of a video DVD, from a drive or a
DVD folder, into video files for the Zune players and into general MP4 and
WMV files, with cropping, colour control, live preview and pause.

The command dvdconvert runs the same engine without a window.")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.pellavan.example.com/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The engine library is the package's own, in its private folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/engine/dvdconvert)
# The main window's font; the libraries come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
# Help and the desktop's opener are used when present, not needed to start.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xchm, libdvdcss2")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

# What Debian wants of every package: its copyright and its changelog, compressed.
install(FILES ${CMAKE_SOURCE_DIR}/docs/copyright DESTINATION ${PELLAVAN_DOC_DIR})
set(pellavan_changelog ${CMAKE_BINARY_DIR}/docs/changelog.gz)
add_custom_command(OUTPUT ${pellavan_changelog}
  COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${CMAKE_SOURCE_DIR}/docs/changelog ${pellavan_changelog}
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/changelog
  VERBATIM)
add_custom_target(pellavan_changelog ALL DEPENDS ${pellavan_changelog})
install(FILES ${pellavan_changelog} DESTINATION ${PELLAVAN_DOC_DIR})

include(CPack)
