# The Linux program as an XScreenSaver hack, installed where XScreenSaver
# looks for hacks and their settings panels:
#
#   <prefix>/libexec/xscreensaver/roamlets          the program
#   <prefix>/share/xscreensaver/config/roamlets.xml  its panel in xscreensaver-settings
#   <prefix>/bin/roamlets                           a relative link to the program
#
# With the native preset's prefix, /usr, `cmake --install build/native` puts
# it into Debian's XScreenSaver folders. The package target makes a Debian
# package of the same files (cmake --build --preset native --target package):
# roamlets_<version>_<architecture>.deb in the build folder, its program
# stripped, its Depends worked out by dpkg-shlibdeps.
include(GNUInstallDirs)

set(roamlets_hack_dir "${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver")
install(TARGETS roamlets RUNTIME DESTINATION "${roamlets_hack_dir}")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/roamlets.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/xscreensaver/config")

# The link is relative, so the installed tree can move (DESTDIR, packages).
file(RELATIVE_PATH roamlets_link_target "/${CMAKE_INSTALL_BINDIR}" "/${roamlets_hack_dir}/roamlets")
install(CODE "set(roamlets_link_target [[${roamlets_link_target}]])
set(roamlets_bin_dir [[${CMAKE_INSTALL_BINDIR}]])")
install(CODE [[
  set(link "${CMAKE_INSTALL_PREFIX}/${roamlets_bin_dir}/roamlets")
  message(STATUS "Installing: $ENV{DESTDIR}${link} -> ${roamlets_link_target}")
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${roamlets_bin_dir}")
  file(CREATE_LINK "${roamlets_link_target}" "$ENV{DESTDIR}${link}" SYMBOLIC)
  # The manifest lists installed files without DESTDIR, as CMake's own rules do.
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${link}")
]])

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME roamlets)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D OpenGL screen saver of roamlets, chasers and stars")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
Red roamlets glide between random waypoints in a box of space, coloured
chasers steer straight at the nearest one, every mover trails a line
through its last positions, and a cloud of grey stars fills the space
around them. Three camera modes show it: Chase, Rotate and Snapshot.
It runs in a window of its own, full screen, or as an XScreenSaver hack,
whose settings panel edits the counts, the star field, the lines and fog.]])
set(CPACK_DEBIAN_PACKAGE_NAME roamlets)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Roamlets Project")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_ENHANCES xscreensaver)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
# The source package, which CPack offers too, leaves out builds and history.
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build/" "/out/")
include(CPack)
