# Installs Tessaly like any Linux desktop program:
#   bin/tessaly
#   share/applications/tessaly.desktop
#   share/icons/hicolor/scalable/apps/tessaly.svg
#   share/icons/hicolor/NxN/apps/tessaly.png   (N = 16, 32, 48, 64, 128, 256)
#   share/tessaly/examples/                     (the example models)
# The PNG icons are rendered from the SVG at build time by svg2png, a small Qt tool built here.
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
install(FILES "${CMAKE_CURRENT_LIST_DIR}/tessaly.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
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
