# Installs Tessaly like any Linux desktop program:
#   bin/tessaly
#   share/applications/invalid.tessaly.Tessaly.desktop
#   share/metainfo/invalid.tessaly.Tessaly.metainfo.xml   (AppStream, for software centres)
#   share/icons/hicolor/scalable/apps/tessaly.svg
#   share/icons/hicolor/NxN/apps/tessaly.png   (N = 16, 32, 48, 64, 128, 256)
#   share/man/man1/tessaly.1.gz
#   share/doc/tessaly/copyright, changelog.Debian.gz
#   share/lintian/overrides/tessaly              (the one lintian finding let stand, and why)
#   share/tessaly/examples/                     (the example models)
# The PNG icons are rendered from the SVG at build time by svg2png, a small Qt tool built here.
# The manual page and the changelog are gzipped as Debian wants them: -9, and -n so that no
# name or time stamp makes two builds differ. packaging/Package.cmake makes the .deb of these.
#
# Include this file from the top-level CMakeLists.txt after the `tessaly` target has been
# defined. Without that target (a build without the editor) it installs nothing.

include_guard(GLOBAL)

if(NOT TARGET tessaly)
  return()
endif()

include(GNUInstallDirs)

set(TESSALY_ICON_SVG "${CMAKE_CURRENT_LIST_DIR}/../editor/resources/tessaly.svg")
cmake_path(NORMAL_PATH TESSALY_ICON_SVG)
set(TESSALY_ICON_SIZES 16 32 48 64 128 256)
set(tessaly_icon_dir "${CMAKE_CURRENT_BINARY_DIR}/icons")

install(TARGETS tessaly RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
set(TESSALY_APP_ID invalid.tessaly.Tessaly)
install(FILES "${CMAKE_CURRENT_LIST_DIR}/${TESSALY_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${CMAKE_CURRENT_LIST_DIR}/${TESSALY_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${CMAKE_CURRENT_LIST_DIR}/copyright"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/tessaly")
install(FILES "${CMAKE_CURRENT_LIST_DIR}/lintian-overrides"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides" RENAME tessaly)
install(FILES "${TESSALY_ICON_SVG}"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
install(DIRECTORY "${CMAKE_CURRENT_LIST_DIR}/../examples/"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/tessaly/examples"
        FILES_MATCHING PATTERN "*.G3D" PATTERN "README.md")

add_executable(tessaly_svg2png "${CMAKE_CURRENT_LIST_DIR}/svg2png.cpp")
set_target_properties(tessaly_svg2png PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
target_link_libraries(tessaly_svg2png PRIVATE Qt6::Gui Qt6::Svg tessaly_warnings)

set(tessaly_icon_args)
set(tessaly_icon_pngs)
foreach(size IN LISTS TESSALY_ICON_SIZES)
  set(png "${tessaly_icon_dir}/tessaly-${size}.png")
  list(APPEND tessaly_icon_args ${size} "${png}")
  list(APPEND tessaly_icon_pngs "${png}")
  install(FILES "${png}"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
          RENAME tessaly.png)
endforeach()

add_custom_command(
  OUTPUT ${tessaly_icon_pngs}
  COMMAND tessaly_svg2png --viewbox 32 "${TESSALY_ICON_SVG}" ${tessaly_icon_args}
  DEPENDS tessaly_svg2png "${TESSALY_ICON_SVG}"
  COMMENT "Rendering the program icon to PNG"
  VERBATIM)
add_custom_target(tessaly_icons ALL DEPENDS ${tessaly_icon_pngs})

# Installs packaging/SOURCE gzipped as DESTINATION/NAME.gz.
function(tessaly_install_gzipped source name destination)
  set(plain "${CMAKE_CURRENT_BINARY_DIR}/gz/${name}")
  add_custom_command(
    OUTPUT "${plain}.gz"
    COMMAND "${CMAKE_COMMAND}" -E copy "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${source}" "${plain}"
    COMMAND gzip -9nf "${plain}"
    DEPENDS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${source}"
    VERBATIM)
  add_custom_target(tessaly_gzip_${name} ALL DEPENDS "${plain}.gz")
  install(FILES "${plain}.gz" DESTINATION "${destination}")
endfunction()
tessaly_install_gzipped(tessaly.1 tessaly.1 "${CMAKE_INSTALL_MANDIR}/man1")
tessaly_install_gzipped(changelog changelog.Debian "${CMAKE_INSTALL_DATADIR}/doc/tessaly")

include("${CMAKE_CURRENT_LIST_DIR}/Package.cmake")
