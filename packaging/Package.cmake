# Makes the Debian package of what packaging/Install.cmake installs, with CPack's DEB generator:
#   cpack -G DEB   (scripts/package runs it on a release build)
# gives tessaly_<version>-<revision>_<arch>.deb. The version is the project's; the Debian
# revision is the changelog's, since a package with a changelog.Debian.gz is not a native one.
# Dependencies come from the binary through dpkg-shlibdeps, but for one Qt plugin (below).

include_guard(GLOBAL)

# The newest entries of packaging/changelog and of the metainfo's releases must name this
# version, or the package would ship a history that stops before it.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/changelog" tessaly_changelog_top LIMIT_COUNT 1)
if(NOT tessaly_changelog_top MATCHES "^tessaly \\(${PROJECT_VERSION}-([0-9]+)\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not for version "
                      "${PROJECT_VERSION}-<revision>: '${tessaly_changelog_top}'")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE "${CMAKE_MATCH_1}")
file(READ "${CMAKE_CURRENT_LIST_DIR}/${TESSALY_APP_ID}.metainfo.xml" tessaly_metainfo)
if(NOT tessaly_metainfo MATCHES "<releases>[ \n]*<release version=\"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "${TESSALY_APP_ID}.metainfo.xml: the newest release is not ${PROJECT_VERSION}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/package")
set(CPACK_STRIP_FILES ON)
# Folders made by the install step get the usual mode whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for three-dimensional point models")
set(CPACK_PACKAGE_DESCRIPTION [[
Tessaly edits models made of points in space: an ordered list of points,
drawn as a line from each point to the next, and a centre that the whole
model turns and scales about. The model is shown at once from the front, the
left, the top and in perspective; in the flat views you pick, add, delete and
drag points with the mouse, or type a point's exact coordinates. Models are
read and written as G3D text files, and a few examples, among them the Utah
teapot, come with the program.]])

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the Tessaly developers <developers@tessaly.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The one dependency dpkg-shlibdeps cannot see: Qt loads the SVG icon engine and image plugin
# at run time to draw the icon and the tool buttons' pictures, and they are in libqt6svg6.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6svg6)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
