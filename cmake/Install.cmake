# SPDX-License-Identifier: GPL-3.0-or-later
# Installing Pellavan: the two programs in bin/, the engine library in a
# private folder under lib/ that both find through a run path relative to
# themselves, and the data folder share/pellavan/ (the Skin folder and the
# help document) that the program looks for beside itself first and then
# relative to itself.  Nothing of the build machine's paths is installed.
include(GNUInstallDirs)

set(PELLAVAN_APP_ID com.example.pellavan.Pellavan)
set(PELLAVAN_LIBRARY_DIR ${CMAKE_INSTALL_LIBDIR}/pellavan)
set(PELLAVAN_DATA_DIR ${CMAKE_INSTALL_DATADIR}/pellavan)
set(PELLAVAN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/pellavan)

file(RELATIVE_PATH pellavan_lib_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/pellavan)
file(RELATIVE_PATH pellavan_data_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/pellavan)
target_compile_definitions(pellavan_core PRIVATE PELLAVAN_DATA_FROM_BIN="${pellavan_data_from_bin}")

# dvdconvert loads the engine itself (dlopen by name), so its run path must
# name the engine's folder in the build as well.
set_target_properties(pellavan dvdconvert_cli PROPERTIES INSTALL_RPATH "$ORIGIN/${pellavan_lib_from_bin}")
set_property(TARGET dvdconvert_cli PROPERTY BUILD_RPATH ${CMAKE_BINARY_DIR}/engine/dvdconvert)
target_compile_definitions(dvdconvert_cli PRIVATE DVDCONVERT_VERSION="${PROJECT_VERSION}")

install(TARGETS pellavan dvdconvert_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS dvdconvert_engine LIBRARY DESTINATION ${PELLAVAN_LIBRARY_DIR} NAMELINK_SKIP)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/Skin DESTINATION ${PELLAVAN_DATA_DIR})

# The desktop's menu entry, icons and the software centres' metadata, all
# named by the application id; the window tells the desktop the same id so
# that it is matched with its entry.
target_compile_definitions(pellavan PRIVATE PELLAVAN_APP_ID="${PELLAVAN_APP_ID}")
set(PELLAVAN_DESKTOP_FILE ${CMAKE_BINARY_DIR}/desktop/${PELLAVAN_APP_ID}.desktop)
set(PELLAVAN_METAINFO_FILE ${CMAKE_BINARY_DIR}/desktop/${PELLAVAN_APP_ID}.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/pellavan.desktop.in ${PELLAVAN_DESKTOP_FILE} @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/pellavan.metainfo.xml.in ${PELLAVAN_METAINFO_FILE} @ONLY)
install(FILES ${PELLAVAN_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PELLAVAN_METAINFO_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/${size}x${size}/pellavan.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${PELLAVAN_APP_ID}.png)
endforeach()
